// The paths worked out from the per-user settings; reading a setting is the
// platform's (SettingsStorePosix.cpp, SettingsStoreWin32.cpp).
#include "SettingsStore.h"

#include "PlatformNames.h"

namespace settings {

std::string RegistryFilePath(const std::string& settingName, const std::string& defaultFileName,
                             const std::string& programDirectory) {
  std::string path = ReadUserSetting(settingName);
  if (!path.empty()) return path;
  path = programDirectory;
  if (path.empty() || path.back() != platform::DirectorySeparator) path += platform::DirectorySeparator;
  return path + defaultFileName;
}

std::string ConnectionRegistryFilePath(const std::string& programDirectory) {
  return RegistryFilePath(ConnectionRegistryFileSetting, DefaultConnectionRegistryFile, programDirectory);
}

std::string DriverRegistryFilePath(const std::string& programDirectory) {
  return RegistryFilePath(DriverRegistryFileSetting, DefaultDriverRegistryFile, programDirectory);
}

}  // namespace settings
