#include "ClientLibrary.h"

#include <vector>

namespace dbvfb {
namespace {

constexpr unsigned kOldestMajorVersion = 3;

}  // namespace

ClientApi::ClientApi(Firebird::IMaster* master, ClientRef<Firebird::IProvider> provider)
    : master_(master), util_(master->getUtilInterface()), provider_(std::move(provider)) {}

std::string ClientApi::format(Firebird::IStatus* status) const {
  // The client cuts a message that does not fit; retry larger until it fits.
  std::vector<char> buffer(4096);
  for (;;) {
    const unsigned written = util_->formatStatus(buffer.data(), static_cast<unsigned>(buffer.size()), status);
    if (written + 1 < buffer.size() || buffer.size() >= 65536) return std::string(buffer.data(), written);
    buffer.resize(buffer.size() * 2);
  }
}

std::shared_ptr<ClientApi> loadClientLibrary(const std::string& vendorLib) {
  if (vendorLib.empty()) return nullptr;  // an empty name would load the program itself
  const GetMasterProc getMaster = findMasterEntry(vendorLib);
  if (getMaster == nullptr) return nullptr;
  Firebird::IMaster* master = getMaster();
  if (master == nullptr) return nullptr;
  const unsigned version = master->getUtilInterface()->getClientVersion();
  if ((version >> 8) < kOldestMajorVersion) return nullptr;
  return std::make_shared<ClientApi>(master, ClientRef<Firebird::IProvider>(master->getDispatcher()));
}

}  // namespace dbvfb
