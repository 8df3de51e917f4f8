// Windows keeps the per-user settings in the registry, read only.
#include "SettingsStore.h"

#include <windows.h>

#include <cstring>

#include "ConnectionTexts.h"
#include "Exceptions.h"
#include "TextRules.h"

namespace settings {

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

}  // namespace settings
