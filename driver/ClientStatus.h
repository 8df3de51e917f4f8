// The status of client calls: a failed call throws Firebird::FbException,
// which every driver operation catches (OperationGuard.h). The status object
// goes back to the client with the wrapper.
#pragma once

#include <firebird/Interface.h>

namespace dbvfb {

class ClientStatus : public Firebird::ThrowStatusWrapper {
 public:
  explicit ClientStatus(Firebird::IMaster* master) : ThrowStatusWrapper(master->getStatus()) {}
  ClientStatus(const ClientStatus&) = delete;
  ClientStatus& operator=(const ClientStatus&) = delete;
  ~ClientStatus() { dispose(); }
};

}  // namespace dbvfb
