// Where the two registry files are found on Windows: the current user's
// registry key "Software\Aldmark\Dbvance", written here through the registry
// itself, or the default names beside the program joined with a backslash.
#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <ostream>
#include <string>

#include "Raised.h"
#include "SettingsStore.h"
#include "UserSettings.h"

namespace {

using support::Raised;
using support::RaisedBy;

constexpr const char* kProgramDir = "C:\\Program Files\\Corvantis";
constexpr const char* kSetting = "Driver Registry File";

struct Stored {
  DWORD type;
  std::string bytes;  // exactly as stored, a terminating NUL included when there is one
};

std::string WithNul(const std::string& text) { return text + std::string(1, '\0'); }

struct ValueCase {
  const char* behaviour;
  bool keyPresent;
  std::optional<Stored> value;  // of the setting kSetting; nullopt: none
  Raised expected;              // "nothing" with the path, or the failure
};
void PrintTo(const ValueCase& c, std::ostream* out) { *out << c.behaviour; }

Raised Path(const std::string& path) { return {"nothing", path}; }
Raised InvalidType() { return {"ERegistryException", "Invalid data type for 'Driver Registry File'"}; }

class RegistrySetting : public ::testing::TestWithParam<ValueCase> {};

TEST_P(RegistrySetting, IsTakenLiterallyOrGivesTheDefaultOrFails) {
  const ValueCase& c = GetParam();
  support::ScopedUserSettings settings;
  if (c.keyPresent) settings.Set("Connection Registry File", "C:\\other.ini");
  if (c.value) {
    settings.SetRaw(kSetting, c.value->type, c.value->bytes.data(), static_cast<DWORD>(c.value->bytes.size()));
  }
  std::string path;
  Raised raised = RaisedBy([&] { path = settings::DriverRegistryFilePath(kProgramDir); });
  if (raised.kind == "nothing") raised.text = path;
  EXPECT_EQ(raised, c.expected) << c.behaviour;
}

const std::string kDefault = "C:\\Program Files\\Corvantis\\dbvdrivers.ini";

INSTANTIATE_TEST_SUITE_P(
    Registry, RegistrySetting,
    ::testing::Values(
        ValueCase{"no key: the default beside the program", false, std::nullopt, Path(kDefault)},
        ValueCase{"the key without the value: the default", true, std::nullopt, Path(kDefault)},
        ValueCase{"an empty string: the default", true, Stored{REG_SZ, WithNul("")}, Path(kDefault)},
        ValueCase{"a string of no bytes at all: the default", true, Stored{REG_SZ, ""}, Path(kDefault)},
        ValueCase{"a plain string", true, Stored{REG_SZ, WithNul("D:\\config\\drivers.ini")},
                  Path("D:\\config\\drivers.ini")},
        ValueCase{"a string stored without its NUL", true, Stored{REG_SZ, "D:\\d.ini"}, Path("D:\\d.ini")},
        ValueCase{"an expandable string is not expanded", true,
                  Stored{REG_EXPAND_SZ, WithNul("%SystemRoot%\\%USERNAME%.ini")},
                  Path("%SystemRoot%\\%USERNAME%.ini")},
        ValueCase{"a number", true, Stored{REG_DWORD, std::string("\x01\x00\x00\x00", 4)}, InvalidType()},
        ValueCase{"bytes", true, Stored{REG_BINARY, "C:\\d.ini"}, InvalidType()},
        ValueCase{"a list of strings", true, Stored{REG_MULTI_SZ, WithNul(WithNul("C:\\d.ini"))}, InvalidType()},
        ValueCase{"a number of no bytes is still of the wrong type", true, Stored{REG_DWORD, ""}, InvalidType()}));

TEST(RegistrySettingNames, EachFileHasItsOwnValue) {
  support::ScopedUserSettings settings;
  settings.Set("Connection Registry File", "E:\\c.ini");
  EXPECT_EQ(settings::ConnectionRegistryFilePath(kProgramDir), "E:\\c.ini");
  EXPECT_EQ(settings::DriverRegistryFilePath(kProgramDir), kDefault);
}

TEST(RegistrySettingNames, TheConnectionSettingOfAWrongTypeNamesItself) {
  support::ScopedUserSettings settings;
  const DWORD number = 1;
  settings.SetRaw("Connection Registry File", REG_DWORD, &number, sizeof number);
  EXPECT_EQ(RaisedBy([] { settings::ConnectionRegistryFilePath(kProgramDir); }),
            (Raised{"ERegistryException", "Invalid data type for 'Connection Registry File'"}));
}

TEST(RegistryDefaults, AProgramFolderEndingInABackslashGetsNoSecondOne) {
  support::ScopedUserSettings settings;
  EXPECT_EQ(settings::ConnectionRegistryFilePath("C:\\Corvantis\\"), "C:\\Corvantis\\dbvconnections.ini");
}

}  // namespace
