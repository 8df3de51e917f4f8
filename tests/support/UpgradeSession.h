// The program's database objects as one run of it has them: a connection
// configured through INI files of its own and the statement object bound to
// it, using the real driver library of the build.
#pragma once

#include <optional>
#include <string>

#include "SQLConnection.h"
#include "SQLQuery.h"
#include "ProgramConfig.h"
#include "SampleDatabase.h"

namespace sample {

class UpgradeSession {
 public:
  // database: the connection string, e.g. SampleDatabase::Target();
  // driverLibrary and options: as ProgramConfig's.
  explicit UpgradeSession(const std::string& database,
                          const std::string& driverLibrary = ProgramConfig::RealDriver(),
                          const ConnectionOptions& options = {})
      : config_(database, driverLibrary, options) {
    connection_.emplace("SQLConnection1", config_.Folder());
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
  ProgramConfig config_;
  std::optional<TSQLConnection> connection_;
  std::optional<TSQLQuery> query_;
};

}  // namespace sample
