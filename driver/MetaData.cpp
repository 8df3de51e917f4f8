#include "MetaData.h"

#include "DriverFailure.h"
#include "OperationGuard.h"
#include "OptionAnswer.h"

namespace dbvfb {
namespace {

// Only dialect 3 has delimited identifiers; dialect 1 reads "x" as a string.
constexpr char kDelimiter = '"';
constexpr unsigned kDelimitingDialect = 3;

[[noreturn]] void refuseOption(std::int32_t option) {
  fail(dbv::status::NotSupported, "the metadata object has no option " + std::to_string(option) + " of this form");
}

}  // namespace

MetaData::MetaData(std::shared_ptr<Session> session) : session_(std::move(session)) {}

dbv::SQLResult MetaData::setOption(std::int32_t option, std::intptr_t /*value*/) {
  return runOperation(*session_, lastError_, "set option", [&]() -> dbv::SQLResult { refuseOption(option); });
}

dbv::SQLResult MetaData::setStringOption(std::int32_t option, const char* value) {
  return runOperation(*session_, lastError_, "set option", [&] {
    if (option != dbv::metaopt::UserName) refuseOption(option);
    userName_ = value != nullptr ? value : "";
    return dbv::kSuccess;
  });
}

dbv::SQLResult MetaData::getOption(std::int32_t option, void* value, std::int32_t maxLength, std::int32_t* length) {
  return runOperation(*session_, lastError_, "get option", [&] {
    switch (option) {
      case dbv::metaopt::UserName:
        answerText(userName_, value, maxLength, length);
        break;
      case dbv::metaopt::QuoteChar:
        answerByte(session_->dialect() == kDelimitingDialect ? kDelimiter : '\0', value, maxLength, length);
        break;
      case dbv::metaopt::SupportsTransaction:
      case dbv::metaopt::SupportsTransactions:
        answerInteger(1, value, maxLength, length);
        break;
      default:
        refuseOption(option);
    }
    return dbv::kSuccess;
  });
}

dbv::SQLResult MetaData::getErrorMessageLen(std::uint16_t* length) { return lastError_.length(length); }

dbv::SQLResult MetaData::getErrorMessage(char* message) { return lastError_.copyTo(message); }

dbv::SQLResult MetaData::release() {
  delete this;
  return dbv::kSuccess;
}

}  // namespace dbvfb
