// SQLQuery1 bound to SQLConnection1, which reaches the scripted fake driver,
// and the catalogue probe the upgrade opens most.
#pragma once

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "FakeDriverSetup.h"
#include "SQLQuery.h"

namespace support {

using Calls = std::vector<std::string>;

inline const std::vector<std::string> kTableProbe = {"SELECT * FROM RDB$RELATIONS ",
                                                     " WHERE RDB$RELATION_NAME = 'UPDATE_HIST'"};
// The probe's text as the call log writes it.
inline const std::string kTableProbeLogged =
    "SELECT * FROM RDB$RELATIONS \\r\\n WHERE RDB$RELATION_NAME = 'UPDATE_HIST'\\r\\n";

// A catalogue row with a blob column before the name, as RDB$RELATIONS has.
inline fake::Statement TableProbeResult(bool found) {
  fake::Statement probe{.sqlContains = "RDB$RELATIONS", .returnsCursor = true};
  probe.columns = {{.name = "RDB$VIEW_BLR", .type = dbv::FieldType::Blob},
                   {.name = "RDB$RELATION_ID", .type = dbv::FieldType::Int16},
                   {.name = "RDB$RELATION_NAME", .type = dbv::FieldType::String, .length = 31}};
  if (found) probe.rows = {{std::string("blr"), std::string("128"), std::string("UPDATE_HIST                    ")}};
  return probe;
}

class QueryFixture {
 public:
  explicit QueryFixture(const std::vector<std::string>& connectionLines = BuiltInConnectionLines())
      : setup_(connectionLines), connection_(setup_.MakeConnection()) {
    query.SetSQLConnection(connection_.get());
  }

  TSQLConnection& Connection() { return *connection_; }

  // The pattern of every caller: close, clear, add.
  void SetLines(const std::vector<std::string>& lines) {
    query.Close();
    query.ClearLines();
    for (const std::string& line : lines) query.AddLine(line);
  }

  // Opens the connection and forgets the calls that took.
  void Connect() {
    connection_->Open();
    fake::ClearCalls();
  }

 private:
  FakeDriverSetup setup_;
  std::unique_ptr<TSQLConnection> connection_;

 public:
  TSQLQuery query{"SQLQuery1"};  // declared last: freed before its connection
};

}  // namespace support
