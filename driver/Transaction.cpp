#include "Transaction.h"

#include "ClientStatus.h"
#include "DriverFailure.h"
#include "OperationGuard.h"
#include "Session.h"

namespace dbvfb {

Transaction::Transaction(Session& session, ClientRef<Firebird::ITransaction> handle, Access access)
    : session_(session), handle_(std::move(handle)), access_(access) {}

Transaction::~Transaction() { endQuietly(); }

Firebird::ITransaction* Transaction::handle() const {
  if (!handle_) fail(dbv::status::InvalidHandle, "the statement's transaction has ended");
  session_.link().requireAlive();
  return handle_.get();
}

void Transaction::commit() {
  ClientStatus status(session_.api().master());
  handle()->commit(&status);
  handle_.forget();
  session_.tracer().emit(dbv::trace::Transaction, "commit");
}

void Transaction::commitRetaining() {
  ClientStatus status(session_.api().master());
  handle()->commitRetaining(&status);
  session_.tracer().emit(dbv::trace::Transaction, "commit retaining");
}

void Transaction::rollback() {
  ClientStatus status(session_.api().master());
  handle()->rollback(&status);
  handle_.forget();
  session_.tracer().emit(dbv::trace::Transaction, "rollback");
}

void Transaction::endQuietly() noexcept {
  if (!readOnly()) {
    rollbackQuietly();
    return;
  }
  if (!handle_) return;
  if (session_.link().lost()) {
    handle_.reset();  // nothing is sent on a lost attachment; the server has ended it
    return;
  }
  try {
    ClientStatus status(session_.api().master());
    handle()->commit(&status);
    handle_.forget();
    session_.tracer().emit(dbv::trace::Transaction, "end read-only transaction");
  } catch (...) {
    noteQuietFailure(session_, "end read-only transaction");
    handle_.reset();  // as in rollbackQuietly
  }
}

void Transaction::rollbackQuietly() noexcept {
  if (!handle_) return;
  if (session_.link().lost()) {
    handle_.reset();  // as in endQuietly
    return;
  }
  try {
    rollback();
  } catch (...) {
    noteQuietFailure(session_, "rollback");
    // The server has lost it already (connection gone) or refuses; either way
    // nothing of it can be committed any more, so the reference just goes
    // (unreleased on the server when the attachment is lost).
    handle_.reset();
  }
}

}  // namespace dbvfb
