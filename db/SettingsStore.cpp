#include "SettingsStore.h"

#include "PlatformNames.h"

#ifdef _WIN32
#include <windows.h>

#include <cstring>

#include "ConnectionTexts.h"
#include "Exceptions.h"
#include "TextRules.h"
#else
#include <cstdlib>

#include "IniFile.h"
#endif

namespace settings {

#ifdef _WIN32

namespace {
constexpr const char* kSettingsKey = "Software\\Aldmark\\Dbvance";

class RegistryKey {
 public:
  RegistryKey() {
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, &key_) != ERROR_SUCCESS) key_ = nullptr;
  }
  ~RegistryKey() {
    if (key_ != nullptr) RegCloseKey(key_);
  }
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;
  HKEY get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};
}  // namespace

std::string ReadUserSetting(const std::string& name) {
  RegistryKey key;
  if (key.get() == nullptr) return {};
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExA(key.get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return {};
  if (type != REG_SZ && type != REG_EXPAND_SZ) throw ERegistryException(FormatText(texts::InvalidDataType, name));
  std::string value(size, '\0');
  if (RegQueryValueExA(key.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(value.data()), &size) !=
      ERROR_SUCCESS) {
    return {};
  }
  // The stored size counts the terminating NUL, when the writer stored one.
  value.resize(strnlen(value.data(), size));
  return value;
}

#else

namespace {
constexpr const char* kSettingsSection = "Dbvance";

// "" when neither variable gives a place, which reads as no settings.
std::string UserSettingsFilePath() {
  const char* configHome = std::getenv("XDG_CONFIG_HOME");
  std::string base;
  if (configHome != nullptr && configHome[0] == '/') {
    base = configHome;
  } else {
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] == '\0') return {};
    base = std::string(home) + "/.config";
  }
  return base + "/Aldmark/Dbvance.conf";
}
}  // namespace

std::string ReadUserSetting(const std::string& name) {
  return IniFile(UserSettingsFilePath()).ReadString(kSettingsSection, name);
}

#endif

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
