// One statement: prepared with the connection's dialect, then executed, each
// execution in a transaction of its own, or, for a select of the catalogue
// alone, in the session's reader (Session.h). A statement without a result set
// is committed before execute returns; one with a result set hands its
// transaction to the cursor.
#pragma once

#include <firebird/Interface.h>

#include <memory>
#include <string>

#include "ClientRef.h"
#include "DriverContract.h"
#include "LastError.h"
#include "OperationGuard.h"
#include "Session.h"
#include "Transaction.h"

namespace dbvfb {

class Command final : public dbv::ISQLCommand {
 public:
  explicit Command(std::shared_ptr<Session> session);

  dbv::SQLResult setOption(std::int32_t option, std::intptr_t value) override;
  dbv::SQLResult getOption(std::int32_t option, void* value, std::int32_t maxLength, std::int32_t* length) override;
  dbv::SQLResult prepare(const char* sql, std::uint16_t paramCount) override;
  dbv::SQLResult execute(dbv::ISQLCursor** cursor) override;
  dbv::SQLResult executeImmediate(const char* sql, dbv::ISQLCursor** cursor) override;
  dbv::SQLResult getRowsAffected(std::int32_t* rows) override;
  dbv::SQLResult close() override;
  dbv::SQLResult getErrorMessageLen(std::uint16_t* length) override;
  dbv::SQLResult getErrorMessage(char* message) override;
  dbv::SQLResult release() override;

 private:
  ~Command() = default;

  void unprepare() noexcept;
  // Both throw; the transaction is the statement's, committed or handed on.
  dbv::ISQLCursor* openCursor(std::shared_ptr<Transaction> transaction);
  dbv::ISQLCursor* run(std::shared_ptr<Transaction> transaction);

  // The session goes last: everything else refers to its client and tracer.
  std::shared_ptr<Session> session_;
  // The row-set size is a fetch hint only: the client fetches ahead in
  // batches of its own choosing, and the cursor hands out one row at a time.
  std::int32_t rowsetSize_ = 20;
  ClientRef<Firebird::IStatement> statement_;
  bool readsCatalogueAlone_ = false;
  bool rowsAffectedKnown_ = false;
  std::uint64_t rowsAffected_ = 0;
  LastError lastError_;
};

}  // namespace dbvfb
