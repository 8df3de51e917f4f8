// The Firebird client library, loaded by the name the program hands over and
// never unloaded, and the interfaces reached through its master interface.
// Nothing else of the client is linked or resolved: every call goes through
// these objects.
#pragma once

#include <firebird/Interface.h>

#include <memory>
#include <string>

#include "ClientRef.h"

namespace dbvfb {

class ClientApi {
 public:
  ClientApi(Firebird::IMaster* master, ClientRef<Firebird::IProvider> provider);

  Firebird::IMaster* master() const { return master_; }
  Firebird::IUtil* util() const { return util_; }
  Firebird::IProvider* provider() const { return provider_.get(); }

  // Every line of the message a failed call left, as the client words it.
  std::string format(Firebird::IStatus* status) const;

 private:
  Firebird::IMaster* master_;
  Firebird::IUtil* util_;
  ClientRef<Firebird::IProvider> provider_;
};

// Null when the library cannot be loaded, exports no master interface, or is
// older than Firebird 3 (whose object interfaces the driver needs).
std::shared_ptr<ClientApi> loadClientLibrary(const std::string& vendorLib);

constexpr const char* kMasterEntry = "fb_get_master_interface";
using GetMasterProc = Firebird::IMaster* (*)();

// The client's one entry point, from the library loaded by the system's
// loader (ClientLibraryPosix.cpp, ClientLibraryWin32.cpp); null when the
// library cannot be loaded or lacks it. The library is never unloaded, as
// objects and callbacks from it may be in use anywhere.
GetMasterProc findMasterEntry(const std::string& vendorLib);

}  // namespace dbvfb
