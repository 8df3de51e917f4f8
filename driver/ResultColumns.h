// The columns of a result as the client describes them, and the values of one
// row read out of the client's row buffer.
#pragma once

#include <firebird/Interface.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "ClientStatus.h"
#include "DriverContract.h"

namespace dbvfb {

struct Column {
  std::string name;  // the alias, which is the field name unless the statement renamed it
  unsigned sqlType;  // SQL_TEXT, SQL_VARYING, ... of the client
  int subType;       // the client's own: blob subtype, 1 numeric, 2 decimal, else 0
  unsigned length;   // bytes of the value; a VARCHAR's maximum, without its length word
  int scale;         // the client's, 0 or negative
  unsigned charSet;
  bool nullable;
  unsigned offset;
  unsigned nullOffset;
  dbv::FieldType type;

  std::int16_t precision() const;
};

std::vector<Column> describeColumns(Firebird::IMessageMetadata* metadata, ClientStatus& status);

// Readers of one column of a row. Each requires the column's type to fit the
// value asked for; the cursor checks that before.
bool isNull(const Column& column, const unsigned char* row);
// CHAR values keep their padding unless trimmed; VARCHAR values come without
// their length word. Bytes as stored, untranslated.
std::string_view textOf(const Column& column, const unsigned char* row, bool trimChar);
std::int64_t integerOf(const Column& column, const unsigned char* row);  // SMALLINT, INTEGER, BIGINT unscaled
double doubleOf(const Column& column, const unsigned char* row);
bool booleanOf(const Column& column, const unsigned char* row);
std::int32_t dateOf(const Column& column, const unsigned char* row);          // days, 0001-01-01 is day 1
std::uint32_t timeOf(const Column& column, const unsigned char* row);         // milliseconds since midnight
dbv::SQLTimestamp timestampOf(const Column& column, const unsigned char* row);
ISC_QUAD blobIdOf(const Column& column, const unsigned char* row);

}  // namespace dbvfb
