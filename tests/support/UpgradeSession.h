// The program's database objects as one run of it has them: a connection
// configured through INI files of its own (found through a private
// XDG_CONFIG_HOME, so the user's settings play no part) and the statement
// object bound to it, using the real driver library of the build.
#pragma once

#include <optional>
#include <string>

#include "SQLConnection.h"
#include "SQLQuery.h"
#include "SampleDatabase.h"
#include "ScopedEnv.h"
#include "TempDir.h"

namespace sample {

class UpgradeSession {
 public:
  // database: the connection string, e.g. SampleDatabase::Target().
  explicit UpgradeSession(const std::string& database)
      : configHome_("XDG_CONFIG_HOME", folder_.PathOf("config")) {
    const std::string connections = folder_.Write(
        "dbvconnections.ini", "[Quintara]\nDriverName=Firebird\nDatabase=" + database + "\nUser_Name=" +
                                  firebirdServer().user + "\nPassword=" + firebirdServer().password +
                                  "\nServerCharSet=\nSQLDialect=3\nBlobSize=-1\nCommitRetain=False\n"
                                  "WaitOnLocks=True\nFirebird TransIsolation=ReadCommited\nTrim Char=False\n");
    const std::string drivers =
        folder_.Write("dbvdrivers.ini", "[Firebird]\nLibraryName=" + std::string(CORVANTIS_BIN_DIR) +
                                            "/libdbvfb.so\nVendorLib=libfbclient.so.2\n"
                                            "GetDriverFunc=getSQLDriverFIREBIRD\n");
    folder_.Write("config/Aldmark/Dbvance.conf", "[Dbvance]\nConnection Registry File=" + connections +
                                                     "\nDriver Registry File=" + drivers + "\n");
    connection_.emplace("SQLConnection1", folder_.Path().string());
    query_.emplace("SQLQuery1");
    query_->SetSQLConnection(&*connection_);
  }
  UpgradeSession(const UpgradeSession&) = delete;
  UpgradeSession& operator=(const UpgradeSession&) = delete;
  // Torn down as the window does: the statement object first, then the connection.
  ~UpgradeSession() {
    query_.reset();
    connection_.reset();
  }

  TSQLQuery& Query() { return *query_; }

 private:
  support::TempDir folder_;
  support::ScopedEnv configHome_;
  std::optional<TSQLConnection> connection_;
  std::optional<TSQLQuery> query_;
};

}  // namespace sample
