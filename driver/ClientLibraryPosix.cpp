#include "ClientLibrary.h"

#include <dlfcn.h>

namespace dbvfb {

GetMasterProc findMasterEntry(const std::string& vendorLib) {
  // The handle is dropped on purpose: the library stays loaded.
  void* library = dlopen(vendorLib.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) return nullptr;
  return reinterpret_cast<GetMasterProc>(dlsym(library, kMasterEntry));
}

}  // namespace dbvfb
