#include "LibraryLoader.h"

#include <dlfcn.h>

namespace dbv {

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

}  // namespace dbv
