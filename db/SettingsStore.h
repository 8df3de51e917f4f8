// The per-user settings that locate the two registry files, and the paths
// worked out from them.
//
// Windows keeps the settings in the registry, current user, key
// "\Software\Aldmark\Dbvance", read only. Linux keeps them in
// $XDG_CONFIG_HOME/Aldmark/Dbvance.conf ($HOME/.config when the variable is
// unset, empty or not an absolute path), section "[Dbvance]", read with the
// program's own INI reader.
#pragma once

#include <string>

namespace settings {

constexpr const char* ConnectionRegistryFileSetting = "Connection Registry File";
constexpr const char* DriverRegistryFileSetting = "Driver Registry File";
constexpr const char* DefaultConnectionRegistryFile = "dbvconnections.ini";
constexpr const char* DefaultDriverRegistryFile = "dbvdrivers.ini";

// The setting's text; empty when the store, the key or the value is missing.
// On Windows a value that is not a plain or an expandable string raises
// ERegistryException "Invalid data type for '<name>'"; strings are taken
// literally, nothing expanded.
std::string ReadUserSetting(const std::string& name);

// The setting's path, or, when the setting is missing or empty, the default
// file name in the program's directory.
std::string RegistryFilePath(const std::string& settingName, const std::string& defaultFileName,
                             const std::string& programDirectory);

std::string ConnectionRegistryFilePath(const std::string& programDirectory);
std::string DriverRegistryFilePath(const std::string& programDirectory);

}  // namespace settings
