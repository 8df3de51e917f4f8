#include "Connection.h"

#include <limits>
#include <string>

#include "Command.h"
#include "DriverFailure.h"
#include "MetaData.h"
#include "OperationGuard.h"
#include "OptionAnswer.h"

namespace dbvfb {
namespace {

std::string textOrEmpty(const char* text) { return text != nullptr ? text : ""; }

}  // namespace

Connection::Connection(std::shared_ptr<ClientApi> api) : session_(std::make_shared<Session>(std::move(api))) {}

dbv::SQLResult Connection::connect(const char* database, const char* userName, const char* password) {
  return runOperation(*session_, lastError_, "connect", [&] {
    session_->attach(textOrEmpty(database), textOrEmpty(userName), textOrEmpty(password));
    return dbv::kSuccess;
  });
}

dbv::SQLResult Connection::disconnect() {
  return runOperation(*session_, lastError_, "disconnect", [&] {
    session_->detach();
    return dbv::kSuccess;
  });
}

dbv::SQLResult Connection::getSQLCommand(dbv::ISQLCommand** command) {
  return runOperation(*session_, lastError_, "new command", [&] {
    if (command == nullptr) fail(dbv::status::InvalidParameter, "no place for the command");
    *command = new Command(session_);
    return dbv::kSuccess;
  });
}

dbv::SQLResult Connection::getSQLMetaData(dbv::ISQLMetaData** metaData) {
  return runOperation(*session_, lastError_, "new metadata object", [&] {
    if (metaData == nullptr) fail(dbv::status::InvalidParameter, "no place for the metadata object");
    *metaData = new MetaData(session_);
    return dbv::kSuccess;
  });
}

dbv::SQLResult Connection::setOption(std::int32_t option, std::intptr_t value) {
  return runOperation(*session_, lastError_, "set option", [&] {
    switch (option) {
      case dbv::connopt::TraceCallback:
        session_->tracer().setCallback(reinterpret_cast<dbv::TraceCallback>(value));
        break;
      case dbv::connopt::TraceOwner:
        if (value < 0 || static_cast<std::uintmax_t>(value) > std::numeric_limits<std::uint32_t>::max()) {
          fail(dbv::status::InvalidParameter, "trace owner " + std::to_string(value) + " is not a 32-bit identity");
        }
        session_->tracer().setOwner(static_cast<std::uint32_t>(value));
        break;
      default:
        session_->settings().setValue(option, value);
    }
    return dbv::kSuccess;
  });
}

dbv::SQLResult Connection::setStringOption(std::int32_t option, const char* value) {
  return runOperation(*session_, lastError_, "set option", [&] {
    session_->settings().setText(option, value);
    return dbv::kSuccess;
  });
}

dbv::SQLResult Connection::getOption(std::int32_t option, void* value, std::int32_t maxLength,
                                     std::int32_t* length) {
  return runOperation(*session_, lastError_, "get option", [&] {
    switch (option) {
      case dbv::connopt::MaxActiveStatements:
        answerInteger(0, value, maxLength, length);  // no limit: every command has its own statement
        break;
      case dbv::connopt::TraceCallback:
        answerAddress(reinterpret_cast<std::intptr_t>(session_->tracer().callback()), value, maxLength, length);
        break;
      case dbv::connopt::TraceOwner:
        answerInteger(static_cast<std::int32_t>(session_->tracer().owner()), value, maxLength, length);
        break;
      default:
        if (!session_->settings().answer(option, value, maxLength, length)) {
          fail(dbv::status::NotSupported, "the connection has no option " + std::to_string(option));
        }
    }
    return dbv::kSuccess;
  });
}

dbv::SQLResult Connection::getErrorMessageLen(std::uint16_t* length) { return lastError_.length(length); }

dbv::SQLResult Connection::getErrorMessage(char* message) { return lastError_.copyTo(message); }

dbv::SQLResult Connection::release() {
  dbv::SQLResult result = dbv::kSuccess;
  if (session_->attached()) result = disconnect();
  delete this;
  return result;
}

}  // namespace dbvfb
