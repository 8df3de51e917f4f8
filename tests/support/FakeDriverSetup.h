// A program folder whose two INI files point the connection at the scripted
// fake driver (bin/libfakedbv.so, bin/libfakedbv.dll), with per-user settings
// of its own, empty until a test sets one, so that the machine's settings
// play no part. The fake's script and call log are reset on construction.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "FakeDriver.h"
#include "IniText.h"
#include "SQLConnection.h"
#include "TempDir.h"
#include "UserSettings.h"

namespace support {

inline std::string FakeDriverLibrary() { return std::string(CORVANTIS_BIN_DIR) + "/" + CORVANTIS_FAKE_DRIVER_FILE; }

inline std::vector<std::string> FakeDriverLines() {
  return {"LibraryName=" + FakeDriverLibrary(), "VendorLib=libfbclient.so.2", "GetDriverFunc=getSQLDriverFIREBIRD"};
}

class FakeDriverSetup {
 public:
  // connectionLines: the [Quintara] section; the built-in fourteen lines by default.
  explicit FakeDriverSetup(const std::vector<std::string>& connectionLines = BuiltInConnectionLines()) {
    fake::Reset();
    WriteConnectionSection(connectionLines);
    WriteDriverSection(FakeDriverLines());
  }

  const TempDir& Dir() const { return dir_; }
  std::string ProgramDirectory() const { return dir_.Path().string(); }
  std::string ConnectionFile() const { return dir_.PathOf("dbvconnections.ini"); }
  std::string DriverFile() const { return dir_.PathOf("dbvdrivers.ini"); }

  void WriteConnectionSection(const std::vector<std::string>& lines) const {
    dir_.Write("dbvconnections.ini", IniSection("Quintara", lines));
  }
  void WriteDriverSection(const std::vector<std::string>& lines) const {
    dir_.Write("dbvdrivers.ini", IniSection("Firebird", lines));
  }

  // Where tests set "Connection Registry File" and "Driver Registry File".
  ScopedUserSettings& UserSettings() { return userSettings_; }

  // A connection named SQLConnection1 in the program folder.
  std::unique_ptr<TSQLConnection> MakeConnection() const {
    return std::make_unique<TSQLConnection>("SQLConnection1", ProgramDirectory());
  }

 private:
  TempDir dir_;
  ScopedUserSettings userSettings_;
};

}  // namespace support
