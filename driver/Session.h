// What a connection object shares with its commands and cursors: the client,
// the settings, the tracer, the attachment, and the transactions its
// statements run in. Commands and cursors hold it, so it stays valid for them
// even after the program has released the connection object.
//
// Every executed statement that may write runs in a transaction of its own,
// committed when it succeeds and rolled back when it fails. While
// CommitRetain is on, these statements share one transaction instead,
// committed with commit retaining after each of them.
//
// A select that reads the catalogue alone (CatalogueRead.h) changes nothing,
// and starting and committing a transaction that may write costs the server
// synchronous page writes. So the session keeps one read-only read committed
// transaction, the reader: every statement is prepared in it (preparing holds
// nothing in it), and under read committed (and dirty read, which Firebird
// serves as read committed) such selects run in it too, each seeing
// everything committed before it. Under snapshot isolation a kept transaction
// would answer from an old catalogue, so there each of them runs in a
// read-only snapshot transaction of its own. The reader ends before the
// detach.
//
// A database may carry an ON TRANSACTION START trigger that writes; the server
// then refuses every read-only transaction. From that refusal on, the session
// starts read-write transactions only: the reader serves preparing alone and
// is rolled back at the end, and each catalogue read runs in a transaction of
// its own.
#pragma once

#include <firebird/Interface.h>

#include <memory>
#include <string>
#include <vector>

#include "AttachmentLink.h"
#include "ClientLibrary.h"
#include "ClientRef.h"
#include "ConnectionSettings.h"
#include "ParameterBlocks.h"
#include "Tracer.h"
#include "Transaction.h"

namespace dbvfb {

class Session {
 public:
  explicit Session(std::shared_ptr<ClientApi> api);
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;
  ~Session();  // ends what is open, committing no work, and detaches

  const ClientApi& api() const { return *api_; }
  ConnectionSettings& settings() { return settings_; }
  const Tracer& tracer() const { return tracer_; }
  Tracer& tracer() { return tracer_; }
  const AttachmentLink& link() const { return link_; }
  // A failed call said the attachment is gone (see AttachmentLink.h).
  void markLost(std::uint16_t status, const std::string& message);

  // Both throw Firebird::FbException or DriverFailure.
  void attach(const std::string& database, const std::string& userName, const std::string& password);
  void detach();
  bool attached() const { return static_cast<bool>(attachment_); }
  // Throws DriverFailure when not connected or when the attachment is lost.
  Firebird::IAttachment* attachment() const;
  unsigned dialect() const { return static_cast<unsigned>(settings_.sqlDialect); }

  // The transaction statements are prepared in.
  std::shared_ptr<Transaction> reader();
  // The transaction for one execution of a statement.
  std::shared_ptr<Transaction> beginWork(bool readsCatalogueAlone);
  // Makes the statement's work permanent; throws when the server refuses,
  // which for DDL is often only now. A read-only transaction has none.
  void commitWork(Transaction& transaction);
  // After a failure: the statement's transaction is rolled back. The reader
  // goes on: it holds no work, and the server has undone the failed statement.
  void abandonWork(Transaction& transaction) noexcept;

 private:
  // A read-only kind the server refuses is started read-write instead.
  std::shared_ptr<Transaction> start(TransactionKind kind);
  std::shared_ptr<Transaction> startAs(const TransactionKind& kind);
  std::shared_ptr<Transaction> beginReadWrite();
  void endOpenTransactions() noexcept;

  std::shared_ptr<ClientApi> api_;
  ConnectionSettings settings_;
  Tracer tracer_;
  // Before every client object that refers to it, so it outlives them all.
  AttachmentLink link_;
  std::string address_;
  ClientRef<Firebird::IAttachment> attachment_;
  std::shared_ptr<Transaction> retained_;
  std::shared_ptr<Transaction> reader_;
  bool readerWaits_ = true;  // the lock wait it was started with
  bool readOnlyRefused_ = false;
  // Watched so that a detach can end what cursors still hold open: the server
  // refuses to detach with active transactions.
  std::vector<std::weak_ptr<Transaction>> openTransactions_;
};

}  // namespace dbvfb
