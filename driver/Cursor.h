// A forward-only cursor over a statement's result, one row at a time. It holds
// the statement's transaction, which ends (committed) when the program
// releases the cursor; the session's reader (Session.h) goes on.
#pragma once

#include <firebird/Interface.h>

#include <initializer_list>
#include <memory>
#include <vector>

#include "ClientRef.h"
#include "DriverContract.h"
#include "DriverFailure.h"
#include "LastError.h"
#include "OperationGuard.h"
#include "ResultColumns.h"
#include "Session.h"
#include "Transaction.h"

namespace dbvfb {

// What a cursor is made of. A statement that returned its one row from the
// execute itself (EXECUTE PROCEDURE, INSERT ... RETURNING) comes with that row
// and without a result set.
struct CursorSource {
  ClientRef<Firebird::IStatement> statement;
  ClientRef<Firebird::IMessageMetadata> metadata;
  ClientRef<Firebird::IResultSet> resultSet;
  std::shared_ptr<Transaction> transaction;
  std::vector<unsigned char> row;
};

class Cursor final : public dbv::ISQLCursor {
 public:
  Cursor(std::shared_ptr<Session> session, CursorSource source, ClientStatus& status);

  dbv::SQLResult getColumnCount(std::uint16_t* count) override;
  dbv::SQLResult getColumnName(std::uint16_t column, char* name) override;
  dbv::SQLResult getColumnType(std::uint16_t column, dbv::FieldType* type, std::uint16_t* subType) override;
  dbv::SQLResult getColumnLength(std::uint16_t column, std::uint32_t* length) override;
  dbv::SQLResult getColumnPrecision(std::uint16_t column, std::int16_t* precision) override;
  dbv::SQLResult getColumnScale(std::uint16_t column, std::int16_t* scale) override;
  dbv::SQLResult isNullable(std::uint16_t column, bool* nullable) override;
  dbv::SQLResult next() override;
  dbv::SQLResult getString(std::uint16_t column, char* value, bool* isNull) override;
  dbv::SQLResult getShort(std::uint16_t column, std::int16_t* value, bool* isNull) override;
  dbv::SQLResult getLong(std::uint16_t column, std::int32_t* value, bool* isNull) override;
  dbv::SQLResult getDouble(std::uint16_t column, double* value, bool* isNull) override;
  dbv::SQLResult getDecimal(std::uint16_t column, dbv::SQLDecimal* value, bool* isNull) override;
  dbv::SQLResult getDate(std::uint16_t column, std::int32_t* value, bool* isNull) override;
  dbv::SQLResult getTime(std::uint16_t column, std::uint32_t* value, bool* isNull) override;
  dbv::SQLResult getTimestamp(std::uint16_t column, dbv::SQLTimestamp* value, bool* isNull) override;
  dbv::SQLResult getBytes(std::uint16_t column, std::uint8_t* value, bool* isNull) override;
  dbv::SQLResult getBlobSize(std::uint16_t column, std::uint32_t* size, bool* isNull) override;
  dbv::SQLResult getBlob(std::uint16_t column, void* value, std::uint32_t size, bool* isNull) override;
  dbv::SQLResult getErrorMessageLen(std::uint16_t* length) override;
  dbv::SQLResult getErrorMessage(char* message) override;
  dbv::SQLResult release() override;

 private:
  enum class Position { BeforeFirst, OnRow, AtEnd };

  ~Cursor() = default;

  const Column& columnAt(std::uint16_t column) const;
  // The column of the current row, when its type is one of those given.
  const Column& readable(std::uint16_t column, std::initializer_list<dbv::FieldType> types, const void* value,
                         const bool* isNull) const;
  ClientRef<Firebird::IBlob> openBlob(const Column& column, ClientStatus& status);
  std::uint32_t blobLimit(std::uint64_t length) const;
  dbv::SQLResult fetch();
  dbv::SQLResult end() noexcept;

  // One property of a column's description, answered through *answer.
  template <typename Answer, typename Property>
  dbv::SQLResult describe(std::string_view operation, std::uint16_t column, Answer* answer, Property property) noexcept {
    return run(operation, [&] {
      const Column& described = columnAt(column);
      if (answer == nullptr) fail(dbv::status::InvalidParameter, "no place for the answer");
      *answer = property(described);
      return dbv::kSuccess;
    });
  }

  // A value of one of the given types read with read(column, row); a null
  // answers a zero value and the flag.
  template <typename Value, typename Read>
  dbv::SQLResult readScalar(std::uint16_t column, std::initializer_list<dbv::FieldType> types, Value* value,
                            bool* isNull, Read read) noexcept {
    return run("read value", [&] {
      const Column& described = readable(column, types, value, isNull);
      *isNull = dbvfb::isNull(described, source_.row.data());
      *value = *isNull ? Value{} : read(described, source_.row.data());
      return dbv::kSuccess;
    });
  }

  template <typename Body>
  dbv::SQLResult run(std::string_view operation, Body&& body) noexcept {
    return runOperation(*session_, lastError_, operation, std::forward<Body>(body));
  }

  // The session goes last: everything else refers to its client and tracer.
  std::shared_ptr<Session> session_;
  CursorSource source_;
  std::vector<Column> columns_;
  Position position_ = Position::BeforeFirst;
  std::uint64_t rowsFetched_ = 0;
  LastError lastError_;
};

}  // namespace dbvfb
