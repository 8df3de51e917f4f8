#include "Cursor.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <string>

#include "ClientInfo.h"
#include "DriverFailure.h"

namespace dbvfb {
namespace {

using dbv::FieldType;

constexpr unsigned kLargestSegment = 65535;

void requireOutput(const void* place) {
  if (place == nullptr) fail(dbv::status::InvalidParameter, "no place for the answer");
}

}  // namespace

Cursor::Cursor(std::shared_ptr<Session> session, CursorSource source, ClientStatus& status)
    : session_(std::move(session)), source_(std::move(source)) {
  columns_ = describeColumns(source_.metadata.get(), status);
  if (source_.row.empty()) source_.row.resize(source_.metadata->getMessageLength(&status));
}

const Column& Cursor::columnAt(std::uint16_t column) const {
  if (column < 1 || column > columns_.size()) {
    fail(dbv::status::OutOfRange,
         "column " + std::to_string(column) + " is outside 1 to " + std::to_string(columns_.size()));
  }
  return columns_[column - 1];
}

const Column& Cursor::readable(std::uint16_t column, std::initializer_list<FieldType> types, const void* value,
                               const bool* isNull) const {
  const Column& described = columnAt(column);
  requireOutput(value);
  requireOutput(isNull);
  if (std::find(types.begin(), types.end(), described.type) == types.end()) {
    fail(dbv::status::InvalidFieldType, "column " + std::to_string(column) + " (" + described.name +
                                            ") holds another type than the one asked for");
  }
  if (position_ != Position::OnRow) {
    fail(dbv::status::EndOfResult, position_ == Position::AtEnd ? "the result has no more rows"
                                                                : "no row is current before the first next");
  }
  return described;
}

dbv::SQLResult Cursor::getColumnCount(std::uint16_t* count) {
  return run("column count", [&] {
    requireOutput(count);
    *count = static_cast<std::uint16_t>(columns_.size());
    return dbv::kSuccess;
  });
}

dbv::SQLResult Cursor::getColumnName(std::uint16_t column, char* name) {
  return run("column name", [&] {
    const Column& described = columnAt(column);
    requireOutput(name);
    const std::size_t length = std::min(described.name.size(), dbv::kMaxColumnName - 1);
    std::memcpy(name, described.name.data(), length);
    name[length] = '\0';
    return dbv::kSuccess;
  });
}

dbv::SQLResult Cursor::getColumnType(std::uint16_t column, FieldType* type, std::uint16_t* subType) {
  return run("column type", [&] {
    const Column& described = columnAt(column);
    requireOutput(type);
    requireOutput(subType);
    *type = described.type;
    *subType = static_cast<std::uint16_t>(described.subType);
    return dbv::kSuccess;
  });
}

dbv::SQLResult Cursor::getColumnLength(std::uint16_t column, std::uint32_t* length) {
  return describe("column length", column, length, [](const Column& described) { return described.length; });
}

dbv::SQLResult Cursor::getColumnPrecision(std::uint16_t column, std::int16_t* precision) {
  return describe("column precision", column, precision, [](const Column& described) { return described.precision(); });
}

dbv::SQLResult Cursor::getColumnScale(std::uint16_t column, std::int16_t* scale) {
  // Decimals after the point, as SQLDecimal counts them; the client counts negative.
  return describe("column scale", column, scale,
                  [](const Column& described) { return static_cast<std::int16_t>(-described.scale); });
}

dbv::SQLResult Cursor::isNullable(std::uint16_t column, bool* nullable) {
  return describe("column nullability", column, nullable, [](const Column& described) { return described.nullable; });
}

dbv::SQLResult Cursor::next() {
  return run("fetch", [&] { return fetch(); });
}

dbv::SQLResult Cursor::fetch() {
  if (position_ == Position::AtEnd) return dbv::status::EndOfResult;
  bool gotRow;
  if (source_.resultSet) {
    session_->link().requireAlive();
    ClientStatus status(session_->api().master());
    gotRow = source_.resultSet->fetchNext(&status, source_.row.data()) == Firebird::IStatus::RESULT_OK;
  } else {
    gotRow = position_ == Position::BeforeFirst;  // the one row the execute returned
  }
  const Tracer& tracer = session_->tracer();
  if (!gotRow) {
    position_ = Position::AtEnd;
    if (tracer.active()) {
      tracer.emit(dbv::trace::Fetch, "fetch: end of result after " + std::to_string(rowsFetched_) +
                                         (rowsFetched_ == 1 ? " row" : " rows"));
    }
    return dbv::status::EndOfResult;
  }
  position_ = Position::OnRow;
  ++rowsFetched_;
  if (tracer.active()) tracer.emit(dbv::trace::Fetch, "fetch: row " + std::to_string(rowsFetched_));
  return dbv::kSuccess;
}

dbv::SQLResult Cursor::getString(std::uint16_t column, char* value, bool* isNull) {
  return run("read value", [&] {
    const Column& described = readable(column, {FieldType::String, FieldType::Bytes}, value, isNull);
    *isNull = dbvfb::isNull(described, source_.row.data());
    const std::string_view text =
        *isNull ? std::string_view() : textOf(described, source_.row.data(), session_->settings().trimChar);
    if (!text.empty()) std::memcpy(value, text.data(), text.size());
    value[text.size()] = '\0';
    return dbv::kSuccess;
  });
}

dbv::SQLResult Cursor::getShort(std::uint16_t column, std::int16_t* value, bool* isNull) {
  return readScalar(column, {FieldType::Int16, FieldType::Boolean}, value, isNull,
                    [](const Column& described, const unsigned char* row) {
                      return static_cast<std::int16_t>(described.type == FieldType::Boolean ? booleanOf(described, row)
                                                                                           : integerOf(described, row));
                    });
}

dbv::SQLResult Cursor::getLong(std::uint16_t column, std::int32_t* value, bool* isNull) {
  return readScalar(column, {FieldType::Int32, FieldType::Int16}, value, isNull,
                    [](const Column& described, const unsigned char* row) {
                      return static_cast<std::int32_t>(integerOf(described, row));
                    });
}

dbv::SQLResult Cursor::getDouble(std::uint16_t column, double* value, bool* isNull) {
  return readScalar(column, {FieldType::Double}, value, isNull, doubleOf);
}

dbv::SQLResult Cursor::getDecimal(std::uint16_t column, dbv::SQLDecimal* value, bool* isNull) {
  return readScalar(column, {FieldType::Decimal, FieldType::Int32, FieldType::Int16}, value, isNull,
                    [](const Column& described, const unsigned char* row) {
                      return dbv::SQLDecimal{integerOf(described, row), static_cast<std::int16_t>(-described.scale)};
                    });
}

dbv::SQLResult Cursor::getDate(std::uint16_t column, std::int32_t* value, bool* isNull) {
  return readScalar(column, {FieldType::Date}, value, isNull, dateOf);
}

dbv::SQLResult Cursor::getTime(std::uint16_t column, std::uint32_t* value, bool* isNull) {
  return readScalar(column, {FieldType::Time}, value, isNull, timeOf);
}

dbv::SQLResult Cursor::getTimestamp(std::uint16_t column, dbv::SQLTimestamp* value, bool* isNull) {
  return readScalar(column, {FieldType::Timestamp}, value, isNull, timestampOf);
}

dbv::SQLResult Cursor::getBytes(std::uint16_t column, std::uint8_t* value, bool* isNull) {
  return run("read value", [&] {
    const Column& described = readable(column, {FieldType::Bytes, FieldType::String}, value, isNull);
    *isNull = dbvfb::isNull(described, source_.row.data());
    const std::string_view bytes = *isNull ? std::string_view() : textOf(described, source_.row.data(), false);
    // Always the column's length: a shorter VARCHAR value is followed by zeros.
    if (!bytes.empty()) std::memcpy(value, bytes.data(), bytes.size());
    std::memset(value + bytes.size(), 0, described.length - bytes.size());
    return dbv::kSuccess;
  });
}

ClientRef<Firebird::IBlob> Cursor::openBlob(const Column& column, ClientStatus& status) {
  ISC_QUAD id = blobIdOf(column, source_.row.data());
  return ClientRef<Firebird::IBlob>(
      session_->attachment()->openBlob(&status, source_.transaction->handle(), &id, 0, nullptr));
}

std::uint32_t Cursor::blobLimit(std::uint64_t length) const {
  const std::int32_t limitKiB = session_->settings().blobSizeKiB;
  if (limitKiB >= 0) length = std::min<std::uint64_t>(length, static_cast<std::uint64_t>(limitKiB) * 1024);
  return static_cast<std::uint32_t>(std::min<std::uint64_t>(length, std::numeric_limits<std::uint32_t>::max()));
}

dbv::SQLResult Cursor::getBlobSize(std::uint16_t column, std::uint32_t* size, bool* isNull) {
  return run("blob size", [&] {
    const Column& described = readable(column, {FieldType::Blob}, size, isNull);
    *isNull = dbvfb::isNull(described, source_.row.data());
    *size = 0;
    if (*isNull) return dbv::kSuccess;
    ClientStatus status(session_->api().master());
    ClientRef<Firebird::IBlob> blob = openBlob(described, status);
    *size = blobLimit(blobLength(blob.get(), status));
    blob->close(&status);
    blob.forget();
    if (session_->tracer().active()) {
      session_->tracer().emit(dbv::trace::Blob, "blob size: " + std::to_string(*size) + " bytes");
    }
    return dbv::kSuccess;
  });
}

dbv::SQLResult Cursor::getBlob(std::uint16_t column, void* value, std::uint32_t size, bool* isNull) {
  return run("blob read", [&] {
    const Column& described = readable(column, {FieldType::Blob}, value, isNull);
    *isNull = dbvfb::isNull(described, source_.row.data());
    if (*isNull) return dbv::kSuccess;
    ClientStatus status(session_->api().master());
    ClientRef<Firebird::IBlob> blob = openBlob(described, status);
    const std::uint32_t wanted = std::min(size, blobLimit(std::numeric_limits<std::uint64_t>::max()));
    auto* bytes = static_cast<unsigned char*>(value);
    std::uint32_t read = 0;
    while (read < wanted) {
      unsigned segment = 0;
      const int result = blob->getSegment(&status, std::min(wanted - read, kLargestSegment), bytes + read, &segment);
      read += segment;
      if (result == Firebird::IStatus::RESULT_NO_DATA) break;
    }
    blob->close(&status);
    blob.forget();
    if (session_->tracer().active()) {
      session_->tracer().emit(dbv::trace::Blob, "blob read: " + std::to_string(read) + " bytes");
    }
    return dbv::kSuccess;
  });
}

dbv::SQLResult Cursor::getErrorMessageLen(std::uint16_t* length) { return lastError_.length(length); }

dbv::SQLResult Cursor::getErrorMessage(char* message) { return lastError_.copyTo(message); }

dbv::SQLResult Cursor::end() noexcept {
  return run("end of cursor", [&]() -> dbv::SQLResult {
    if (session_->link().lost()) {
      // Nothing is sent on a lost attachment; the server has rolled back.
      source_.resultSet.reset();
      session_->abandonWork(*source_.transaction);
      return dbv::kSuccess;
    }
    if (source_.resultSet) {
      ClientStatus status(session_->api().master());
      source_.resultSet->close(&status);
      source_.resultSet.forget();
    }
    Transaction& transaction = *source_.transaction;
    if (!transaction.active()) return dbv::kSuccess;  // ended by a disconnect
    try {
      session_->commitWork(transaction);
    } catch (...) {
      const dbv::SQLResult failure = recordFailure(*session_, lastError_, "commit");
      session_->abandonWork(transaction);
      return failure;
    }
    return dbv::kSuccess;
  });
}

dbv::SQLResult Cursor::release() {
  const dbv::SQLResult result = end();
  delete this;
  return result;
}

}  // namespace dbvfb
