#include "LibraryLoader.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace dbv {

#ifdef _WIN32

LibraryHandle loadLibrary(const std::string& fileName) {
  return reinterpret_cast<LibraryHandle>(LoadLibraryA(fileName.c_str()));
}

void* findFunction(LibraryHandle library, const std::string& name) {
  if (library == nullptr) return nullptr;
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name.c_str()));
}

std::string lastLoaderError() { return "Windows error " + std::to_string(GetLastError()); }

#else

LibraryHandle loadLibrary(const std::string& fileName) {
  if (fileName.empty()) return nullptr;  // dlopen("") would hand back the program itself
  return dlopen(fileName.c_str(), RTLD_NOW | RTLD_LOCAL);
}

void* findFunction(LibraryHandle library, const std::string& name) {
  if (library == nullptr || name.empty()) return nullptr;
  dlerror();
  return dlsym(library, name.c_str());
}

std::string lastLoaderError() {
  const char* reason = dlerror();
  return reason != nullptr ? reason : "";
}

#endif

}  // namespace dbv
