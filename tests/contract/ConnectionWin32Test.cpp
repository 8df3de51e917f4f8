// The connection on Windows: libraries loaded with LoadLibrary, by bare name
// (found beside the program) and by path, the real driver dbvfb.dll asked for
// a Firebird client that is not there, and the registry settings at opening.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <ostream>
#include <string>

#include "FakeDriverSetup.h"
#include "LibraryLoader.h"
#include "Raised.h"

namespace {

using support::FakeDriverSetup;
using support::Raised;

constexpr const char* kRealDriver = "dbvfb.dll";  // beside the test program, as beside Corvantis.exe
constexpr const char* kEntryPoint = "getSQLDriverFIREBIRD";
constexpr const char* kAbsentClient = "fbclient.dll";  // no Firebird client is installed under Wine

// The fake's path the way a Windows user writes it.
std::string FakeDriverWindowsPath() {
  std::string path = support::FakeDriverLibrary();
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

TEST(LibraryLoading, ABareNameIsFoundBesideTheProgram) {
  const dbv::LibraryHandle library = dbv::loadLibrary(kRealDriver);
  ASSERT_NE(library, nullptr) << dbv::lastLoaderError();
  EXPECT_NE(dbv::findFunction(library, kEntryPoint), nullptr);
}

TEST(LibraryLoading, APathGivesTheInstanceAlreadyLoaded) {
  const dbv::LibraryHandle library = dbv::loadLibrary(FakeDriverWindowsPath());
  ASSERT_NE(library, nullptr) << dbv::lastLoaderError();
  EXPECT_EQ(library, GetModuleHandleA(CORVANTIS_FAKE_DRIVER_FILE)) << "the tests and the program would not share the fake";
  EXPECT_NE(dbv::findFunction(library, "getSQLDriverFAKE"), nullptr);
}

TEST(LibraryLoading, WhatCannotBeFoundIsNull) {
  const dbv::LibraryHandle real = dbv::loadLibrary(kRealDriver);
  EXPECT_EQ(dbv::loadLibrary("no-such-driver.dll"), nullptr);
  EXPECT_EQ(dbv::loadLibrary("C:\\nowhere\\dbvfb.dll"), nullptr);
  EXPECT_EQ(dbv::loadLibrary(""), nullptr);
  EXPECT_EQ(dbv::findFunction(real, "getSQLDriverFAKE"), nullptr);
  EXPECT_EQ(dbv::findFunction(real, ""), nullptr);
  EXPECT_EQ(dbv::findFunction(nullptr, kEntryPoint), nullptr);
}

TEST(RealDriver, AnAbsentClientLibraryFailsTheEntryPoint) {
  const auto entry =
      reinterpret_cast<dbv::GetDriverProc>(dbv::findFunction(dbv::loadLibrary(kRealDriver), kEntryPoint));
  ASSERT_NE(entry, nullptr) << dbv::lastLoaderError();
  dbv::ISQLDriver* driver = nullptr;
  EXPECT_TRUE(dbv::failed(entry(kAbsentClient, "", &driver)));
  EXPECT_EQ(driver, nullptr);
}

struct OpeningCase {
  const char* behaviour;
  std::function<void(FakeDriverSetup&)> arrange;
  std::function<Raised(const FakeDriverSetup&)> expected;
};
void PrintTo(const OpeningCase& c, std::ostream* out) { *out << c.behaviour; }

class WindowsOpening : public ::testing::TestWithParam<OpeningCase> {};

TEST_P(WindowsOpening, FailsWithTheProgramsReport) {
  FakeDriverSetup setup;
  GetParam().arrange(setup);
  auto connection = setup.MakeConnection();
  EXPECT_EQ(support::RaisedBy([&] { connection->Open(); }), GetParam().expected(setup)) << GetParam().behaviour;
  EXPECT_FALSE(connection->Connected()) << GetParam().behaviour;
}

auto Fixed(Raised raised) {
  return [raised](const FakeDriverSetup&) { return raised; };
}

void DriverSection(FakeDriverSetup& setup, const std::string& library, const std::string& vendorLib) {
  setup.WriteDriverSection({"LibraryName=" + library, "VendorLib=" + vendorLib, std::string("GetDriverFunc=") + kEntryPoint});
}

void WrongType(FakeDriverSetup& setup, const char* name) {
  const DWORD number = 7;
  setup.UserSettings().SetRaw(name, REG_DWORD, &number, sizeof number);
}

INSTANTIATE_TEST_SUITE_P(
    Windows, WindowsOpening,
    ::testing::Values(
        OpeningCase{"the real driver by name, its client absent",
                    [](FakeDriverSetup& s) { DriverSection(s, kRealDriver, kAbsentClient); },
                    Fixed({"EDatabaseError", "Unable to Load fbclient.dll"})},
        OpeningCase{"a driver library that is not there",
                    [](FakeDriverSetup& s) { DriverSection(s, "C:\\Corvantis\\dbvfb.dll", kAbsentClient); },
                    Fixed({"EDatabaseError", "Unable to Load C:\\Corvantis\\dbvfb.dll"})},
        OpeningCase{"the driver registry setting of a wrong type",
                    [](FakeDriverSetup& s) { WrongType(s, "Driver Registry File"); },
                    Fixed({"ERegistryException", "Invalid data type for 'Driver Registry File'"})},
        OpeningCase{"the connection registry setting of a wrong type: no path at all",
                    [](FakeDriverSetup& s) { WrongType(s, "Connection Registry File"); },
                    Fixed({"EDatabaseError", "Driver/Connection Registry File '' not found"})},
        OpeningCase{"no settings: the files beside the program, joined with a backslash",
                    [](FakeDriverSetup& s) { s.Dir().Remove("dbvconnections.ini"); },
                    [](const FakeDriverSetup& s) {
                      return Raised{"EDatabaseError",
                                    "Driver/Connection Registry File '" + s.ProgramDirectory() +
                                        "\\dbvconnections.ini' not found"};
                    }}));

TEST(WindowsSettings, TheDriverFileNamedInTheRegistryIsRead) {
  FakeDriverSetup setup;
  const std::string drivers = setup.Dir().Write(
      "elsewhere\\drivers.ini",
      support::IniSection("Firebird", {"LibraryName=" + FakeDriverWindowsPath(), "VendorLib=fbclient.dll",
                                       "GetDriverFunc=getSQLDriverFAKE"}));
  setup.UserSettings().Set("Driver Registry File", drivers);
  auto connection = setup.MakeConnection();
  connection->Open();
  EXPECT_TRUE(connection->Connected());
  EXPECT_EQ(fake::CallsStartingWith({"getSQLDriver"}), (std::vector<std::string>{"getSQLDriverFAKE(fbclient.dll,)"}));
}

}  // namespace
