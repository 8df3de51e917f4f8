// Linux keeps the per-user settings in a file read with the program's own INI
// reader; there is no value type to refuse.
#include "SettingsStore.h"

#include <cstdlib>

#include "IniFile.h"

namespace settings {

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

}  // namespace settings
