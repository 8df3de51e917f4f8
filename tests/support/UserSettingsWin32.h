// Windows: the registry key itself (the program reads no other), emptied on
// construction and removed on destruction. Tests that use it must not run
// at the same time as each other.
#pragma once

#include <windows.h>

#include <stdexcept>
#include <string>

namespace support {

class ScopedUserSettings {
 public:
  static constexpr const char* kKey = "Software\\Aldmark\\Dbvance";

  ScopedUserSettings() { Remove(); }
  ScopedUserSettings(const ScopedUserSettings&) = delete;
  ScopedUserSettings& operator=(const ScopedUserSettings&) = delete;
  ~ScopedUserSettings() { Remove(); }

  void Set(const std::string& name, const std::string& value) {
    SetRaw(name, REG_SZ, value.c_str(), static_cast<DWORD>(value.size() + 1));
  }

  // A value of any type, its bytes as given.
  void SetRaw(const std::string& name, DWORD type, const void* bytes, DWORD size) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS) {
      throw std::runtime_error("cannot create the settings key");
    }
    const LONG written = RegSetValueExA(key, name.c_str(), 0, type, static_cast<const BYTE*>(bytes), size);
    RegCloseKey(key);
    if (written != ERROR_SUCCESS) throw std::runtime_error("cannot write the setting " + name);
  }

 private:
  static void Remove() { RegDeleteTreeA(HKEY_CURRENT_USER, kKey); }  // absent already is fine
};

}  // namespace support
