// One client transaction and how it ends. Commit, commit retaining and
// rollback are traced; a transaction still active when its holder goes is
// rolled back, never committed. A read-only one holds no work to lose or to
// keep: it is committed when it ends, and traced as ended, never as a commit,
// which in the log means work made permanent.
#pragma once

#include <firebird/Interface.h>

#include "ClientRef.h"

namespace dbvfb {

class Session;

class Transaction {
 public:
  enum class Access { ReadWrite, ReadOnly };

  // The session outlives the transaction: it ends every transaction still
  // open before it goes.
  Transaction(Session& session, ClientRef<Firebird::ITransaction> handle, Access access);
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;
  ~Transaction();

  bool active() const { return static_cast<bool>(handle_); }
  bool readOnly() const { return access_ == Access::ReadOnly; }
  // Throws DriverFailure once ended, or once the attachment is lost.
  Firebird::ITransaction* handle() const;

  // Each throws Firebird::FbException when the server refuses; the
  // transaction then stays active, to be rolled back.
  void commit();
  void commitRetaining();  // the work is committed and the transaction goes on
  void rollback();
  // After a failure: ends the transaction whatever happens, and throws nothing.
  // A failure of its own is judged as any other (OperationGuard.h): when it
  // says the attachment is gone, nothing more is sent on it.
  void rollbackQuietly() noexcept;
  // Ends the transaction whatever happens, and throws nothing: a read-only one
  // is committed, any other rolled back; failures as in rollbackQuietly.
  void endQuietly() noexcept;

 private:
  Session& session_;
  ClientRef<Firebird::ITransaction> handle_;
  Access access_;
};

}  // namespace dbvfb
