// What a connection object shares with its commands and cursors: the client,
// the settings, the tracer, the attachment, and the transactions its
// statements run in. Commands and cursors hold it, so it stays valid for them
// even after the program has released the connection object.
//
// Every executed statement runs in a transaction of its own, committed when
// it succeeds and rolled back when it fails. While CommitRetain is on, the
// statements share one transaction instead, committed with commit retaining
// after each of them.
#pragma once

#include <firebird/Interface.h>

#include <memory>
#include <string>
#include <vector>

#include "AttachmentLink.h"
#include "ClientLibrary.h"
#include "ClientRef.h"
#include "ConnectionSettings.h"
#include "Tracer.h"
#include "Transaction.h"

namespace dbvfb {

class Session {
 public:
  explicit Session(std::shared_ptr<ClientApi> api);
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;
  ~Session();  // rolls back what is open and detaches; commits nothing

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

  // A transaction for the next statement.
  std::shared_ptr<Transaction> beginWork();
  // Makes the statement's work permanent; throws when the server refuses,
  // which for DDL is often only now.
  void commitWork(Transaction& transaction);
  // After a failure: the statement's transaction is rolled back.
  void abandonWork(Transaction& transaction) noexcept;
  // A transaction that did no work (a prepared statement that never ran).
  void returnUnused(std::shared_ptr<Transaction>& transaction) noexcept;

 private:
  void endOpenTransactions() noexcept;

  std::shared_ptr<ClientApi> api_;
  ConnectionSettings settings_;
  Tracer tracer_;
  // Before every client object that refers to it, so it outlives them all.
  AttachmentLink link_;
  std::string address_;
  ClientRef<Firebird::IAttachment> attachment_;
  std::shared_ptr<Transaction> retained_;
  // Watched so that a detach can end what cursors still hold open: the server
  // refuses to detach with active transactions.
  std::vector<std::weak_ptr<Transaction>> openTransactions_;
};

}  // namespace dbvfb
