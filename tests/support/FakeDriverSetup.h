// A program folder whose two INI files point the connection at the scripted
// fake driver (bin/libfakedbv.so), with XDG_CONFIG_HOME aimed at an empty
// folder so that no per-user settings of the machine play a part. The fake's
// script and call log are reset on construction.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "FakeDriver.h"
#include "IniText.h"
#include "SQLConnection.h"
#include "ScopedEnv.h"
#include "TempDir.h"

namespace support {

inline std::string FakeDriverLibrary() { return std::string(CORVANTIS_BIN_DIR) + "/libfakedbv.so"; }

inline std::vector<std::string> FakeDriverLines() {
  return {"LibraryName=" + FakeDriverLibrary(), "VendorLib=libfbclient.so.2", "GetDriverFunc=getSQLDriverFIREBIRD"};
}

class FakeDriverSetup {
 public:
  // connectionLines: the [Quintara] section; the built-in fourteen lines by default.
  explicit FakeDriverSetup(const std::vector<std::string>& connectionLines = BuiltInConnectionLines())
      : configHome_("XDG_CONFIG_HOME", dir_.PathOf("config")) {
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

  // A connection named SQLConnection1 in the program folder.
  std::unique_ptr<TSQLConnection> MakeConnection() const {
    return std::make_unique<TSQLConnection>("SQLConnection1", ProgramDirectory());
  }

 private:
  TempDir dir_;
  ScopedEnv configHome_;
};

}  // namespace support
