#include "IniFile.h"

#include <filesystem>

bool IniFile::Exists() const {
  if (path_.empty()) return false;
  std::error_code error;
  const auto status = std::filesystem::status(path_, error);
  return !error && std::filesystem::exists(status) && !std::filesystem::is_directory(status);
}
