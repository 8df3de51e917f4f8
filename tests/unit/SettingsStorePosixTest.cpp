// Where the two registry files are found: the per-user settings file under
// the XDG config folder, or the default names beside the program.
#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>

#include "ScopedEnv.h"
#include "SettingsStore.h"
#include "TempDir.h"

namespace {

using support::ScopedEnv;
using support::TempDir;

constexpr const char* kProgramDir = "/opt/corvantis";

struct PlaceCase {
  const char* behaviour;
  const char* configHome;  // XDG_CONFIG_HOME: "<dir>" for the temp folder, nullptr for unset
  bool viaHome;            // the settings file is written under $HOME/.config instead
  std::string expectedConnection;
};
void PrintTo(const PlaceCase& c, std::ostream* out) { *out << c.behaviour; }

class SettingsFilePlace : public ::testing::TestWithParam<PlaceCase> {};

TEST_P(SettingsFilePlace, IsFoundThroughXdgConfigHomeOrHome) {
  TempDir dir;
  const PlaceCase& c = GetParam();
  std::optional<std::string> configHome;
  if (c.configHome != nullptr) configHome = std::string(c.configHome) == "<dir>" ? dir.PathOf("xdg") : c.configHome;
  ScopedEnv xdg("XDG_CONFIG_HOME", configHome);
  ScopedEnv home("HOME", dir.PathOf("home"));
  const std::string settings = "[Dbvance]\nConnection Registry File = /data/conn.ini\n";
  dir.Write(c.viaHome ? "home/.config/Aldmark/Dbvance.conf" : "xdg/Aldmark/Dbvance.conf", settings);
  EXPECT_EQ(settings::ConnectionRegistryFilePath(kProgramDir), c.expectedConnection) << c.behaviour;
}

INSTANTIATE_TEST_SUITE_P(
    Variables, SettingsFilePlace,
    ::testing::Values(PlaceCase{"XDG_CONFIG_HOME set", "<dir>", false, "/data/conn.ini"},
                      PlaceCase{"XDG_CONFIG_HOME set: HOME is not looked at", "<dir>", true,
                                "/opt/corvantis/dbvconnections.ini"},
                      PlaceCase{"XDG_CONFIG_HOME unset: $HOME/.config", nullptr, true, "/data/conn.ini"},
                      PlaceCase{"XDG_CONFIG_HOME empty: $HOME/.config", "", true, "/data/conn.ini"},
                      PlaceCase{"XDG_CONFIG_HOME relative is ignored: $HOME/.config", "relative/xdg", true,
                                "/data/conn.ini"}));

struct ValueCase {
  const char* behaviour;
  std::optional<std::string> settingsFile;  // nullopt: no file
  std::string expectedConnection;
  std::string expectedDriver;
};
void PrintTo(const ValueCase& c, std::ostream* out) { *out << c.behaviour; }

class SettingsValues : public ::testing::TestWithParam<ValueCase> {};

TEST_P(SettingsValues, FallBackToTheDefaultBesideTheProgram) {
  TempDir dir;
  ScopedEnv xdg("XDG_CONFIG_HOME", dir.Path().string());
  if (GetParam().settingsFile) dir.Write("Aldmark/Dbvance.conf", *GetParam().settingsFile);
  EXPECT_EQ(settings::ConnectionRegistryFilePath(kProgramDir), GetParam().expectedConnection) << GetParam().behaviour;
  EXPECT_EQ(settings::DriverRegistryFilePath(kProgramDir), GetParam().expectedDriver) << GetParam().behaviour;
}

INSTANTIATE_TEST_SUITE_P(
    Settings, SettingsValues,
    ::testing::Values(
        ValueCase{"no settings file", std::nullopt, "/opt/corvantis/dbvconnections.ini", "/opt/corvantis/dbvdrivers.ini"},
        ValueCase{"no [Dbvance] section", "[Other]\nConnection Registry File=/x.ini\n",
                  "/opt/corvantis/dbvconnections.ini", "/opt/corvantis/dbvdrivers.ini"},
        ValueCase{"empty values", "[Dbvance]\nConnection Registry File=\nDriver Registry File=  \n",
                  "/opt/corvantis/dbvconnections.ini", "/opt/corvantis/dbvdrivers.ini"},
        ValueCase{"both values, names matched in any case",
                  "[dbvance]\nconnection registry file=/c/conn.ini\nDRIVER REGISTRY FILE=/d/drv.ini\n", "/c/conn.ini",
                  "/d/drv.ini"},
        ValueCase{"only the driver value", "[Dbvance]\nDriver Registry File=relative/drv.ini\n",
                  "/opt/corvantis/dbvconnections.ini", "relative/drv.ini"}));

TEST(SettingsDefaults, NeitherVariableGivesTheDefaults) {
  ScopedEnv xdg("XDG_CONFIG_HOME", std::nullopt);
  ScopedEnv home("HOME", std::nullopt);
  EXPECT_EQ(settings::ConnectionRegistryFilePath(kProgramDir), "/opt/corvantis/dbvconnections.ini");
}

TEST(SettingsDefaults, AProgramFolderEndingInASlashGetsNoSecondOne) {
  TempDir dir;
  ScopedEnv xdg("XDG_CONFIG_HOME", dir.Path().string());
  EXPECT_EQ(settings::DriverRegistryFilePath("/opt/corvantis/"), "/opt/corvantis/dbvdrivers.ini");
}

}  // namespace
