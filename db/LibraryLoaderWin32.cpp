#include "LibraryLoader.h"

#include <windows.h>

namespace dbv {

LibraryHandle loadLibrary(const std::string& fileName) {
  if (fileName.empty()) return nullptr;
  return reinterpret_cast<LibraryHandle>(LoadLibraryA(fileName.c_str()));
}

void* findFunction(LibraryHandle library, const std::string& name) {
  if (library == nullptr || name.empty()) return nullptr;
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name.c_str()));
}

std::string lastLoaderError() { return "Windows error " + std::to_string(GetLastError()); }

}  // namespace dbv
