#include "Session.h"

#include <algorithm>

#include <ibase.h>

#include "ClientStatus.h"
#include "DatabaseAddress.h"
#include "DriverFailure.h"
#include "FailureClass.h"
#include "OperationGuard.h"
#include "ParameterBlocks.h"
#include "SignalDispositions.h"

namespace dbvfb {

Session::Session(std::shared_ptr<ClientApi> api) : api_(std::move(api)) {}

Session::~Session() {
  if (!attachment_) return;
  try {
    detach();
  } catch (...) {
    // Released without a detach: the client drops the attachment with it.
    noteQuietFailure(*this, "disconnect");
  }
}

void Session::attach(const std::string& database, const std::string& userName, const std::string& password) {
  if (attachment_) fail(dbv::status::ConnectionFailed, "already connected to " + address_);
  address_ = databaseAddress(database, settings_.hostName, settings_.serverPort);
  if (tracer_.active()) {
    tracer_.emit(dbv::trace::Connect, "connect to " + address_ + (settings_.osAuthentication ? "" : " as " + userName));
  }
  const ParameterBlock dpb = attachmentBlock(*api_, settings_, userName, password);
  ClientStatus status(api_->master());
  const SignalDispositionsKept signals;
  attachment_ = ClientRef<Firebird::IAttachment>(api_->provider()->attachDatabase(
      &status, address_.c_str(), static_cast<unsigned>(dpb.size()), dpb.data()));
}

void Session::detach() {
  if (!attachment_) fail(dbv::status::InvalidHandle, "not connected");
  endOpenTransactions();
  tracer_.emit(dbv::trace::Connect, "disconnect from " + address_);
  if (link_.lost()) {
    attachment_.reset();  // the server has ended it already; the release stays on this side
    return;
  }
  ClientStatus status(api_->master());
  try {
    attachment_->detach(&status);
    attachment_.forget();
  } catch (...) {
    attachment_.reset();
    throw;
  }
}

Firebird::IAttachment* Session::attachment() const {
  if (!attachment_) fail(dbv::status::InvalidHandle, "not connected");
  link_.requireAlive();
  return attachment_.get();
}

void Session::markLost(std::uint16_t status, const std::string& message) {
  if (!attachment_ || link_.lost()) return;
  link_.markLost(status, message);
  // Closes this side of the connection without asking the server anything,
  // so that the releases still to come (transactions, statements, the
  // attachment) end on this side at once.
  Firebird::CheckStatusWrapper ignored(api_->master()->getStatus());
  attachment_->cancelOperation(&ignored, fb_cancel_abort);
  ignored.dispose();  // not examined: a connection already broken has nothing to close
}

std::shared_ptr<Transaction> Session::start(TransactionKind kind) {
  if (readOnlyRefused_) kind.readOnly = false;
  try {
    return startAs(kind);
  } catch (const Firebird::FbException& failure) {
    if (!kind.readOnly || !isReadOnlyRefusal(failure.getStatus())) throw;
    noteQuietFailure(*this, "start transaction");
  }
  // An ON TRANSACTION START trigger of the database writes: the server
  // refuses every read-only transaction, so none is asked for again.
  readOnlyRefused_ = true;
  kind.readOnly = false;
  return startAs(kind);
}

std::shared_ptr<Transaction> Session::startAs(const TransactionKind& kind) {
  const ParameterBlock tpb = transactionBlock(*api_, kind);
  ClientStatus status(api_->master());
  auto transaction = std::make_shared<Transaction>(
      *this,
      ClientRef<Firebird::ITransaction>(
          attachment()->startTransaction(&status, static_cast<unsigned>(tpb.size()), tpb.data())),
      kind.readOnly ? Transaction::Access::ReadOnly : Transaction::Access::ReadWrite);
  if (tracer_.active()) tracer_.emit(dbv::trace::Transaction, "start transaction: " + describeTransaction(kind));
  std::erase_if(openTransactions_, [](const std::weak_ptr<Transaction>& open) { return open.expired(); });
  openTransactions_.push_back(transaction);
  return transaction;
}

std::shared_ptr<Transaction> Session::reader() {
  if (!reader_ || readerWaits_ != settings_.waitOnLocks) {
    // A cursor still reading in an earlier reader keeps it until released.
    reader_ = start({.snapshot = false, .readOnly = true, .waitOnLocks = settings_.waitOnLocks});
    readerWaits_ = settings_.waitOnLocks;
  }
  return reader_;
}

std::shared_ptr<Transaction> Session::beginWork(bool readsCatalogueAlone) {
  // Where read-only transactions are refused, the reader can write (what the
  // database's triggers do in it), so no statement runs in it: a catalogue
  // read gets a transaction of its own, as every other statement does.
  if (!readsCatalogueAlone || readOnlyRefused_) return beginReadWrite();
  if (settings_.isolation != dbv::isolation::RepeatableRead) return reader();
  return start({.snapshot = true, .readOnly = true, .waitOnLocks = settings_.waitOnLocks});
}

std::shared_ptr<Transaction> Session::beginReadWrite() {
  if (settings_.commitRetain && retained_ && retained_->active()) return retained_;
  std::shared_ptr<Transaction> transaction =
      start({.snapshot = settings_.isolation == dbv::isolation::RepeatableRead,
             .readOnly = false,
             .waitOnLocks = settings_.waitOnLocks,
             .commitRetaining = settings_.commitRetain});
  if (settings_.commitRetain) retained_ = transaction;
  return transaction;
}

void Session::commitWork(Transaction& transaction) {
  // Nothing to make permanent. The reader goes on; any other read-only
  // transaction ends with its last holder.
  if (transaction.readOnly()) return;
  const bool isRetained = retained_.get() == &transaction;
  if (isRetained && settings_.commitRetain) {
    transaction.commitRetaining();
    return;
  }
  transaction.commit();
  if (isRetained) retained_.reset();
}

void Session::abandonWork(Transaction& transaction) noexcept {
  if (&transaction == reader_.get()) return;
  transaction.rollbackQuietly();
  if (retained_.get() == &transaction) retained_.reset();
}

void Session::endOpenTransactions() noexcept {
  for (const std::weak_ptr<Transaction>& open : openTransactions_) {
    if (const std::shared_ptr<Transaction> transaction = open.lock()) transaction->endQuietly();
  }
  openTransactions_.clear();
  retained_.reset();
  reader_.reset();
}

}  // namespace dbvfb
