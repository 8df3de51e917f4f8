// The attachment and transaction parameter blocks, built with the client's own
// builder from the connection's settings.
#pragma once

#include <string>
#include <vector>

#include "ClientLibrary.h"
#include "ConnectionSettings.h"

namespace dbvfb {

using ParameterBlock = std::vector<unsigned char>;

ParameterBlock attachmentBlock(const ClientApi& api, const ConnectionSettings& settings, const std::string& userName,
                               const std::string& password);

// What a transaction is started as.
struct TransactionKind {
  bool snapshot = false;  // repeatable read; otherwise read committed
  bool readOnly = false;
  bool waitOnLocks = true;
  bool commitRetaining = false;  // how its work is committed; named in the trace text only
};

ParameterBlock transactionBlock(const ClientApi& api, const TransactionKind& kind);

// "read committed, wait" and the like, for trace texts.
std::string describeTransaction(const TransactionKind& kind);

}  // namespace dbvfb
