// One result column of the statement object. It keeps only the column's
// description; every value is read from the cursor's current row when asked.
#pragma once

#include <cstdint>
#include <string>

#include "DriverContract.h"

class TSQLQuery;

class TField {
 public:
  TField(TSQLQuery& query, std::uint16_t column, std::string name, dbv::FieldType type, std::uint32_t size);
  TField(const TField&) = delete;
  TField& operator=(const TField&) = delete;

  const std::string& FieldName() const { return name_; }
  dbv::FieldType DataType() const { return type_; }
  std::uint32_t Size() const { return size_; }

  std::string AsString() const;  // empty without a current row, and for null
  bool IsNull() const;           // true without a current row

 private:
  struct Value {
    bool isNull = true;
    std::string text;
  };
  // withText false stops at what the null flag needs, so a blob's contents
  // are only transferred when its text is asked for.
  Value Read(bool withText) const;
  Value ReadBlob(dbv::ISQLCursor& cursor, bool withText) const;

  TSQLQuery& query_;
  std::uint16_t column_;  // from 1, as the cursor counts
  std::string name_;
  dbv::FieldType type_;
  std::uint32_t size_;
};
