#include "IniFile.h"

#include <windows.h>

// The path is in the ANSI code page, as the registry, the executable's path
// and the reading (fopen) take it. std::filesystem would read its bytes in
// the C runtime's "C" locale instead and miss a folder named in Big5.
bool IniFile::Exists() const {
  if (path_.empty()) return false;
  const DWORD attributes = GetFileAttributesA(path_.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}
