// The program's configuration for one test: its two INI files for a given
// database, found through a private XDG_CONFIG_HOME, so the user's settings
// play no part. Lives as long as the test needs the program configured.
#pragma once

#include <string>

#include "FirebirdTestServer.h"
#include "ScopedEnv.h"
#include "TempDir.h"

namespace sample {

// The connection file's transaction options.
struct ConnectionOptions {
  std::string isolation = "ReadCommited";  // "Firebird TransIsolation"
  bool waitOnLocks = true;
  bool commitRetain = false;
};

class ProgramConfig {
 public:
  // database: the connection string, e.g. SampleDatabase::Target();
  // driverLibrary: the LibraryName to load, the build's real driver by default.
  explicit ProgramConfig(const std::string& database, const std::string& driverLibrary = RealDriver(),
                         const ConnectionOptions& options = {})
      : configHome_("XDG_CONFIG_HOME", folder_.PathOf("config")) {
    const auto& server = corvantis::test::firebirdServer();
    const std::string connections = folder_.Write(
        "dbvconnections.ini", "[Quintara]\nDriverName=Firebird\nDatabase=" + database + "\nUser_Name=" +
                                  server.user + "\nPassword=" + server.password +
                                  "\nServerCharSet=\nSQLDialect=3\nBlobSize=-1\nCommitRetain=" +
                                  TrueOrFalse(options.commitRetain) + "\nWaitOnLocks=" +
                                  TrueOrFalse(options.waitOnLocks) + "\nFirebird TransIsolation=" +
                                  options.isolation + "\nTrim Char=False\n");
    const std::string drivers =
        folder_.Write("dbvdrivers.ini", "[Firebird]\nLibraryName=" + driverLibrary +
                                            "\nVendorLib=libfbclient.so.2\nGetDriverFunc=getSQLDriverFIREBIRD\n");
    folder_.Write("config/Aldmark/Dbvance.conf", "[Dbvance]\nConnection Registry File=" + connections +
                                                     "\nDriver Registry File=" + drivers + "\n");
  }

  static std::string RealDriver() { return std::string(CORVANTIS_BIN_DIR) + "/libdbvfb.so"; }

  // The folder a connection takes as its program directory.
  std::string Folder() const { return folder_.Path().string(); }

 private:
  static std::string TrueOrFalse(bool value) { return value ? "True" : "False"; }

  support::TempDir folder_;
  support::ScopedEnv configHome_;
};

}  // namespace sample
