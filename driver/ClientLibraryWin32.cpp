#include "ClientLibrary.h"

#include <windows.h>

namespace dbvfb {

GetMasterProc findMasterEntry(const std::string& vendorLib) {
  // The handle is dropped on purpose: the library stays loaded.
  HMODULE library = LoadLibraryA(vendorLib.c_str());
  if (library == nullptr) return nullptr;
  // FARPROC stands for any function; the detour through void* says so to the compiler.
  return reinterpret_cast<GetMasterProc>(reinterpret_cast<void*>(GetProcAddress(library, kMasterEntry)));
}

}  // namespace dbvfb
