#include "Field.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <utility>
#include <vector>

#include "SQLQuery.h"

namespace {

constexpr const char* kTrueText = "True";
constexpr const char* kFalseText = "False";

std::string DoubleText(double value) {
  char buffer[32];
  const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
  return error == std::errc() ? std::string(buffer, end) : std::string();
}

// unscaled / 10^scale with a point, as many digits after it as the scale asks.
std::string DecimalText(const dbv::SQLDecimal& value) {
  const bool negative = value.unscaled < 0;
  const std::uint64_t magnitude =
      negative ? std::uint64_t{0} - static_cast<std::uint64_t>(value.unscaled) : static_cast<std::uint64_t>(value.unscaled);
  std::string digits = std::to_string(magnitude);
  if (value.scale <= 0) {
    if (magnitude != 0) digits.append(static_cast<std::size_t>(-value.scale), '0');
  } else {
    const auto scale = static_cast<std::size_t>(value.scale);
    if (digits.size() <= scale) digits.insert(0, scale + 1 - digits.size(), '0');
    digits.insert(digits.size() - scale, 1, '.');
  }
  return negative ? "-" + digits : digits;
}

// Day 1 is 0001-01-01 of the proleptic Gregorian calendar.
std::string DateText(std::int32_t day) {
  using namespace std::chrono;
  const year_month_day date{sys_days{year{1} / January / 1} + days{static_cast<std::int64_t>(day) - 1}};
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%04d-%02u-%02u", static_cast<int>(date.year()),
                static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()));
  return buffer;
}

// Milliseconds since midnight; the fraction only when there is one.
std::string TimeText(std::uint32_t milliseconds) {
  const unsigned fraction = milliseconds % 1000;
  const unsigned seconds = milliseconds / 1000;
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%02u:%02u:%02u", seconds / 3600, seconds / 60 % 60, seconds % 60);
  std::string text = buffer;
  if (fraction != 0) {
    std::snprintf(buffer, sizeof buffer, ".%03u", fraction);
    text += buffer;
  }
  return text;
}

}  // namespace

TField::TField(TSQLQuery& query, std::uint16_t column, std::string name, dbv::FieldType type, std::uint32_t size)
    : query_(query), column_(column), name_(std::move(name)), type_(type), size_(size) {}

std::string TField::AsString() const { return Read(true).text; }

bool TField::IsNull() const { return Read(false).isNull; }

TField::Value TField::Read(bool withText) const {
  dbv::ISQLCursor* cursor = query_.RowCursor();
  if (cursor == nullptr) return {};
  // The cursor is asked for the column's type before each read; its status is
  // not tested, and the described type stands when it gives no answer.
  dbv::FieldType type = type_;
  std::uint16_t subType = 0;
  if (dbv::failed(cursor->getColumnType(column_, &type, &subType))) type = type_;
  if (type == dbv::FieldType::Blob) return ReadBlob(*cursor, withText);

  Value value;
  dbv::SQLResult result = dbv::kSuccess;
  switch (type) {
    case dbv::FieldType::Int16:
    case dbv::FieldType::Boolean: {
      std::int16_t number = 0;
      result = cursor->getShort(column_, &number, &value.isNull);
      if (type == dbv::FieldType::Boolean) {
        value.text = number != 0 ? kTrueText : kFalseText;
      } else {
        value.text = std::to_string(number);
      }
      break;
    }
    case dbv::FieldType::Int32: {
      std::int32_t number = 0;
      result = cursor->getLong(column_, &number, &value.isNull);
      value.text = std::to_string(number);
      break;
    }
    case dbv::FieldType::Double: {
      double number = 0;
      result = cursor->getDouble(column_, &number, &value.isNull);
      value.text = DoubleText(number);
      break;
    }
    case dbv::FieldType::Decimal: {
      dbv::SQLDecimal number{0, 0};
      result = cursor->getDecimal(column_, &number, &value.isNull);
      value.text = DecimalText(number);
      break;
    }
    case dbv::FieldType::Date: {
      std::int32_t day = 0;
      result = cursor->getDate(column_, &day, &value.isNull);
      value.text = DateText(day);
      break;
    }
    case dbv::FieldType::Time: {
      std::uint32_t milliseconds = 0;
      result = cursor->getTime(column_, &milliseconds, &value.isNull);
      value.text = TimeText(milliseconds);
      break;
    }
    case dbv::FieldType::Timestamp: {
      dbv::SQLTimestamp stamp{0, 0};
      result = cursor->getTimestamp(column_, &stamp, &value.isNull);
      value.text = DateText(stamp.date) + " " + TimeText(stamp.milliseconds);
      break;
    }
    case dbv::FieldType::Bytes: {
      std::vector<std::uint8_t> bytes(size_, 0);
      result = cursor->getBytes(column_, bytes.data(), &value.isNull);
      value.text.assign(bytes.begin(), bytes.end());
      break;
    }
    default: {  // String, and what the driver can only hand out as text
      std::vector<char> buffer(static_cast<std::size_t>(size_) + 1, '\0');
      result = cursor->getString(column_, buffer.data(), &value.isNull);
      buffer.back() = '\0';
      value.text = buffer.data();
      break;
    }
  }
  if (dbv::failed(result)) query_.RaiseCursorError(result, cursor);
  if (value.isNull) value.text.clear();
  return value;
}

// The size tells null from not null, so the contents are transferred only for
// the text. A MaxBlobSize of 0 reads empty; a positive one caps the read at
// the buffer Open reserved; a negative one reads the value whole.
TField::Value TField::ReadBlob(dbv::ISQLCursor& cursor, bool withText) const {
  Value value;
  std::uint32_t size = 0;
  const dbv::SQLResult sized = cursor.getBlobSize(column_, &size, &value.isNull);
  if (dbv::failed(sized)) query_.RaiseCursorError(sized, &cursor);
  if (value.isNull || !withText || size == 0 || query_.MaxBlobSize == 0) return value;

  std::vector<char> whole;
  std::vector<char>& buffer = query_.blobBuffer_.empty() ? whole : query_.blobBuffer_;
  if (buffer.empty()) whole.resize(size);
  const auto wanted = static_cast<std::uint32_t>(std::min<std::size_t>(size, buffer.size()));
  bool isNull = false;
  const dbv::SQLResult read = cursor.getBlob(column_, buffer.data(), wanted, &isNull);
  if (dbv::failed(read)) query_.RaiseCursorError(read, &cursor);
  value.text.assign(buffer.data(), wanted);
  return value;
}
