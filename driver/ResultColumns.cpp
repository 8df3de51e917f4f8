#include "ResultColumns.h"

#include <cstring>

namespace dbvfb {
namespace {

// The client counts days from 1858-11-17, which is day 678576 counted from
// 0001-01-01 as day 1; its times are in units of 100 microseconds.
constexpr std::int32_t kClientDayZero = 678576;
constexpr std::uint32_t kTimeUnitsPerMillisecond = 10;
constexpr unsigned kOctets = 1;  // CHARACTER SET OCTETS

template <typename Value>
Value stored(const Column& column, const unsigned char* row) {
  Value value;
  std::memcpy(&value, row + column.offset, sizeof value);
  return value;
}

dbv::FieldType fieldTypeOf(unsigned sqlType, int scale, unsigned charSet) {
  switch (sqlType) {
    case SQL_TEXT:
    case SQL_VARYING:
    case SQL_NULL:
      return charSet == kOctets ? dbv::FieldType::Bytes : dbv::FieldType::String;
    case SQL_SHORT: return scale == 0 ? dbv::FieldType::Int16 : dbv::FieldType::Decimal;
    case SQL_LONG: return scale == 0 ? dbv::FieldType::Int32 : dbv::FieldType::Decimal;
    case SQL_INT64: return dbv::FieldType::Decimal;
    case SQL_FLOAT:
    case SQL_DOUBLE:
    case SQL_D_FLOAT:
      return dbv::FieldType::Double;
    case SQL_TYPE_DATE: return dbv::FieldType::Date;
    case SQL_TYPE_TIME: return dbv::FieldType::Time;
    case SQL_TIMESTAMP: return dbv::FieldType::Timestamp;
    case SQL_BLOB: return dbv::FieldType::Blob;
    case SQL_BOOLEAN: return dbv::FieldType::Boolean;
    default: return dbv::FieldType::Unknown;  // arrays and types newer than Firebird 3
  }
}

}  // namespace

std::int16_t Column::precision() const {
  switch (sqlType) {
    case SQL_TEXT:
    case SQL_VARYING:
      return static_cast<std::int16_t>(length);
    case SQL_SHORT: return 4;
    case SQL_LONG: return 9;
    case SQL_INT64: return 18;
    case SQL_FLOAT: return 7;
    case SQL_DOUBLE:
    case SQL_D_FLOAT:
      return 15;
    case SQL_BOOLEAN: return 1;
    default: return 0;
  }
}

std::vector<Column> describeColumns(Firebird::IMessageMetadata* metadata, ClientStatus& status) {
  const unsigned count = metadata->getCount(&status);
  std::vector<Column> columns;
  columns.reserve(count);
  for (unsigned i = 0; i < count; ++i) {
    Column column;
    const char* alias = metadata->getAlias(&status, i);
    column.name = alias != nullptr && *alias != '\0' ? alias : metadata->getField(&status, i);
    column.sqlType = metadata->getType(&status, i) & ~1u;  // the low bit only says "nullable"
    column.subType = metadata->getSubType(&status, i);
    column.length = metadata->getLength(&status, i);
    column.scale = metadata->getScale(&status, i);
    column.charSet = metadata->getCharSet(&status, i);
    column.nullable = metadata->isNullable(&status, i);
    column.offset = metadata->getOffset(&status, i);
    column.nullOffset = metadata->getNullOffset(&status, i);
    column.type = fieldTypeOf(column.sqlType, column.scale, column.charSet);
    columns.push_back(std::move(column));
  }
  return columns;
}

bool isNull(const Column& column, const unsigned char* row) {
  if (column.sqlType == SQL_NULL) return true;
  std::int16_t indicator;
  std::memcpy(&indicator, row + column.nullOffset, sizeof indicator);
  return indicator != 0;
}

std::string_view textOf(const Column& column, const unsigned char* row, bool trimChar) {
  if (column.sqlType == SQL_NULL) return {};
  const char* bytes = reinterpret_cast<const char*>(row + column.offset);
  if (column.sqlType == SQL_VARYING) {
    const auto length = stored<std::uint16_t>(column, row);
    return {bytes + sizeof length, length};
  }
  std::string_view text(bytes, column.length);
  // OCTETS are padded with zero bytes, which are data; only texts lose blanks.
  if (trimChar && column.charSet != kOctets) {
    const std::size_t last = text.find_last_not_of(' ');
    text = text.substr(0, last == std::string_view::npos ? 0 : last + 1);
  }
  return text;
}

std::int64_t integerOf(const Column& column, const unsigned char* row) {
  switch (column.sqlType) {
    case SQL_SHORT: return stored<std::int16_t>(column, row);
    case SQL_LONG: return stored<std::int32_t>(column, row);
    default: return stored<std::int64_t>(column, row);
  }
}

double doubleOf(const Column& column, const unsigned char* row) {
  return column.sqlType == SQL_FLOAT ? stored<float>(column, row) : stored<double>(column, row);
}

bool booleanOf(const Column& column, const unsigned char* row) { return stored<FB_BOOLEAN>(column, row) != 0; }

std::int32_t dateOf(const Column& column, const unsigned char* row) {
  return stored<ISC_DATE>(column, row) + kClientDayZero;
}

std::uint32_t timeOf(const Column& column, const unsigned char* row) {
  return stored<ISC_TIME>(column, row) / kTimeUnitsPerMillisecond;
}

dbv::SQLTimestamp timestampOf(const Column& column, const unsigned char* row) {
  const auto value = stored<ISC_TIMESTAMP>(column, row);
  return {value.timestamp_date + kClientDayZero, value.timestamp_time / kTimeUnitsPerMillisecond};
}

ISC_QUAD blobIdOf(const Column& column, const unsigned char* row) { return stored<ISC_QUAD>(column, row); }

}  // namespace dbvfb
