#include "Command.h"

#include <cstring>
#include <limits>
#include <vector>

#include "CatalogueRead.h"
#include "ClientInfo.h"
#include "ClientStatus.h"
#include "Cursor.h"
#include "DriverFailure.h"
#include "OptionAnswer.h"

namespace dbvfb {
namespace {

std::string rowsText(std::uint64_t rows) { return std::to_string(rows) + (rows == 1 ? " row" : " rows"); }

// Transactions belong to the driver: a statement that would start or end one
// behind its back would leave the driver's handle dangling.
bool controlsTransactions(unsigned statementType) {
  return statementType == isc_info_sql_stmt_start_trans || statementType == isc_info_sql_stmt_commit ||
         statementType == isc_info_sql_stmt_rollback;
}

}  // namespace

Command::Command(std::shared_ptr<Session> session) : session_(std::move(session)) {}

dbv::SQLResult Command::setOption(std::int32_t option, std::intptr_t value) {
  return runOperation(*session_, lastError_, "set option", [&] {
    if (option != dbv::cmdopt::RowsetSize) {
      fail(dbv::status::NotSupported, "the command has no option " + std::to_string(option));
    }
    if (value < 1 || value > std::numeric_limits<std::int32_t>::max()) {
      fail(dbv::status::InvalidParameter, "row-set size " + std::to_string(value) + " is not a positive count");
    }
    rowsetSize_ = static_cast<std::int32_t>(value);
    return dbv::kSuccess;
  });
}

dbv::SQLResult Command::getOption(std::int32_t option, void* value, std::int32_t maxLength, std::int32_t* length) {
  return runOperation(*session_, lastError_, "get option", [&] {
    if (option != dbv::cmdopt::RowsetSize) {
      fail(dbv::status::NotSupported, "the command has no option " + std::to_string(option));
    }
    answerInteger(rowsetSize_, value, maxLength, length);
    return dbv::kSuccess;
  });
}

void Command::unprepare() noexcept {
  statement_.reset();
  readsCatalogueAlone_ = false;
  rowsAffectedKnown_ = false;
  rowsAffected_ = 0;
}

// The parameter count is the caller's own count of markers; the statement's
// inputs are what the server found, and execute refuses them.
dbv::SQLResult Command::prepare(const char* sql, std::uint16_t /*paramCount*/) {
  return runOperation(*session_, lastError_, "prepare", [&]() -> dbv::SQLResult {
    if (sql == nullptr) fail(dbv::status::InvalidParameter, "no statement text");
    unprepare();
    Firebird::IAttachment* attachment = session_->attachment();
    // The server prepares only inside a transaction; the statement may run in
    // another one. Its start comes first in the log, and a failure to start
    // it is told as such, not as a failed prepare.
    std::shared_ptr<Transaction> reader;
    try {
      reader = session_->reader();
    } catch (...) {
      return recordFailure(*session_, lastError_, "start transaction");
    }
    // The whole text in one event, line ends and all: it is what a person
    // watching the log most wants to see. The detailed plan comes with the
    // answer to the prepare.
    session_->tracer().emit(dbv::trace::Prepare, sql);
    ClientStatus status(session_->api().master());
    ClientRef<Firebird::IStatement> statement(attachment->prepare(
        &status, reader->handle(), static_cast<unsigned>(std::strlen(sql)), sql, session_->dialect(),
        Firebird::IStatement::PREPARE_PREFETCH_METADATA | Firebird::IStatement::PREPARE_PREFETCH_DETAILED_PLAN));
    const unsigned type = statement->getType(&status);
    const char* plan = type == isc_info_sql_stmt_select ? statement->getPlan(&status, true) : nullptr;
    readsCatalogueAlone_ = readsCatalogueAlone(type, sql, plan != nullptr ? plan : "");
    statement_ = std::move(statement);
    return dbv::kSuccess;
  });
}

dbv::SQLResult Command::execute(dbv::ISQLCursor** cursor) {
  return runOperation(*session_, lastError_, "execute", [&]() -> dbv::SQLResult {
    if (cursor == nullptr) fail(dbv::status::InvalidParameter, "no place for the cursor");
    *cursor = nullptr;
    if (!statement_) fail(dbv::status::InvalidHandle, "no statement is prepared");
    session_->link().requireAlive();
    ClientStatus status(session_->api().master());
    if (controlsTransactions(statement_->getType(&status))) {
      fail(dbv::status::NotSupported, "the driver commits every statement itself; a statement that starts, "
                                      "commits or rolls back a transaction is refused");
    }
    ClientRef<Firebird::IMessageMetadata> inputs(statement_->getInputMetadata(&status));
    if (inputs->getCount(&status) != 0) {
      fail(dbv::status::ParameterNotSet, "the statement has parameter markers, and the driver binds no values");
    }
    std::shared_ptr<Transaction> transaction;
    try {
      transaction = session_->beginWork(readsCatalogueAlone_);
    } catch (...) {
      return recordFailure(*session_, lastError_, "start transaction");
    }
    rowsAffectedKnown_ = false;
    try {
      const bool hasCursor = (statement_->getFlags(&status) & Firebird::IStatement::FLAG_HAS_CURSOR) != 0;
      *cursor = hasCursor ? openCursor(transaction) : run(transaction);
    } catch (...) {
      const dbv::SQLResult failure = recordFailure(*session_, lastError_, "execute");
      session_->abandonWork(*transaction);
      return failure;
    }
    return dbv::kSuccess;
  });
}

dbv::ISQLCursor* Command::openCursor(std::shared_ptr<Transaction> transaction) {
  ClientStatus status(session_->api().master());
  CursorSource source;
  source.metadata = ClientRef<Firebird::IMessageMetadata>(statement_->getOutputMetadata(&status));
  source.resultSet = ClientRef<Firebird::IResultSet>(
      statement_->openCursor(&status, transaction->handle(), nullptr, nullptr, source.metadata.get(), 0));
  source.statement = statement_.share();
  source.transaction = std::move(transaction);
  session_->tracer().emit(dbv::trace::Execute, "execute: cursor open");
  return new Cursor(session_, std::move(source), status);
}

dbv::ISQLCursor* Command::run(std::shared_ptr<Transaction> transaction) {
  ClientStatus status(session_->api().master());
  ClientRef<Firebird::IMessageMetadata> outputs(statement_->getOutputMetadata(&status));
  const bool returnsRow = outputs->getCount(&status) != 0;
  std::vector<unsigned char> row(returnsRow ? outputs->getMessageLength(&status) : 0);
  statement_->execute(&status, transaction->handle(), nullptr, nullptr, returnsRow ? outputs.get() : nullptr,
                      returnsRow ? row.data() : nullptr);
  rowsAffected_ = affectedRecords(statement_.get(), status);
  rowsAffectedKnown_ = true;
  if (session_->tracer().active()) {
    session_->tracer().emit(dbv::trace::Execute, "execute: " + rowsText(rowsAffected_) + " affected");
  }
  if (!returnsRow) {
    session_->commitWork(*transaction);
    return nullptr;
  }
  // The work is committed now, as for any statement; the transaction goes on
  // with the cursor only so that blobs of the returned row stay readable.
  transaction->commitRetaining();
  CursorSource source;
  source.statement = statement_.share();
  source.metadata = std::move(outputs);
  source.transaction = std::move(transaction);
  source.row = std::move(row);
  return new Cursor(session_, std::move(source), status);
}

// Executes at once: prepared and executed in one call, and the command stays
// prepared with that text.
dbv::SQLResult Command::executeImmediate(const char* sql, dbv::ISQLCursor** cursor) {
  if (cursor != nullptr) *cursor = nullptr;
  const dbv::SQLResult prepared = prepare(sql, 0);
  if (dbv::failed(prepared)) return prepared;
  return execute(cursor);
}

dbv::SQLResult Command::getRowsAffected(std::int32_t* rows) {
  return runOperation(*session_, lastError_, "rows affected", [&] {
    if (rows == nullptr) fail(dbv::status::InvalidParameter, "no place for the count");
    if (!rowsAffectedKnown_ && statement_) {
      // A query's count is asked for only when someone wants it; it costs a
      // round trip and is nearly always 0.
      session_->link().requireAlive();
      ClientStatus status(session_->api().master());
      rowsAffected_ = affectedRecords(statement_.get(), status);
      rowsAffectedKnown_ = true;
    }
    *rows = static_cast<std::int32_t>(
        std::min<std::uint64_t>(rowsAffected_, std::numeric_limits<std::int32_t>::max()));
    return dbv::kSuccess;
  });
}

// The statement stays prepared; between executions it holds no transaction.
dbv::SQLResult Command::close() { return dbv::kSuccess; }

dbv::SQLResult Command::getErrorMessageLen(std::uint16_t* length) { return lastError_.length(length); }

dbv::SQLResult Command::getErrorMessage(char* message) { return lastError_.copyTo(message); }

dbv::SQLResult Command::release() {
  unprepare();
  delete this;
  return dbv::kSuccess;
}

}  // namespace dbvfb
