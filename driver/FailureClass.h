// What a failed client call's status vector says, read from Firebird's error
// codes, never from message texts. Every failure of every driver operation,
// the quiet ends and releases too, is judged here and only here.
#pragma once

#include <firebird/Interface.h>

#include <cstdint>

namespace dbvfb {

struct FailureClass {
  // dbv::status::ConnectionFailed when the client could not reach the server
  // (refused, broken, timed out), dbv::status::SqlError when the server
  // refused what it was asked.
  std::uint16_t status;
  // The attachment can serve nothing more: the network is broken, the server
  // or the database is shut down, or the attachment was ended from outside.
  bool connectionLost;
  // The server refused a schema change because the database's shape is not
  // what the statement expects: the table is not there, the column or index
  // is there already, a column the index names is not in the table.
  bool shapeDiffers;
};

// waitedOnLocks: the failed statement's transaction waited for other
// transactions' locks. Without waiting, Firebird answers a duplicate that
// another transaction has not committed yet as if it were there, so only a
// waiting transaction's duplicate says that the object really exists.
FailureClass classifyFailure(Firebird::IStatus* status, bool waitedOnLocks);

// The server refused to start a read-only transaction: a trigger of the
// database (ON TRANSACTION START) writes in every transaction.
bool isReadOnlyRefusal(Firebird::IStatus* status);

}  // namespace dbvfb
