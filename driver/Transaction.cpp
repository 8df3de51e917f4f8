#include "Transaction.h"

#include "ClientStatus.h"
#include "DriverFailure.h"

namespace dbvfb {

Transaction::Transaction(const ClientApi& api, const Tracer& tracer, const AttachmentLink& link,
                         ClientRef<Firebird::ITransaction> handle, Access access)
    : api_(api), tracer_(tracer), link_(link), handle_(std::move(handle)), access_(access) {}

Transaction::~Transaction() { endQuietly(); }

Firebird::ITransaction* Transaction::handle() const {
  if (!handle_) fail(dbv::status::InvalidHandle, "the statement's transaction has ended");
  link_.requireAlive();
  return handle_.get();
}

void Transaction::commit() {
  ClientStatus status(api_.master());
  handle()->commit(&status);
  handle_.forget();
  tracer_.emit(dbv::trace::Transaction, "commit");
}

void Transaction::commitRetaining() {
  ClientStatus status(api_.master());
  handle()->commitRetaining(&status);
  tracer_.emit(dbv::trace::Transaction, "commit retaining");
}

void Transaction::rollback() {
  ClientStatus status(api_.master());
  handle()->rollback(&status);
  handle_.forget();
  tracer_.emit(dbv::trace::Transaction, "rollback");
}

void Transaction::endQuietly() noexcept {
  if (!readOnly()) {
    rollbackQuietly();
    return;
  }
  if (!handle_) return;
  try {
    ClientStatus status(api_.master());
    handle()->commit(&status);
    handle_.forget();
    tracer_.emit(dbv::trace::Transaction, "end read-only transaction");
  } catch (...) {
    handle_.reset();  // as in rollbackQuietly: nothing of it is left to end
  }
}

void Transaction::rollbackQuietly() noexcept {
  if (!handle_) return;
  try {
    rollback();
  } catch (...) {
    // The server has lost it already (connection gone) or refuses; either way
    // nothing of it can be committed any more, so the reference just goes
    // (unreleased when the attachment is lost).
    handle_.reset();
  }
}

}  // namespace dbvfb
