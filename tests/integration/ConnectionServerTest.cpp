// The connection configured by INI files, through the real driver library,
// against the real Firebird server.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "FirebirdTestServer.h"
#include "IniText.h"
#include "Raised.h"
#include "SQLConnection.h"
#include "SQLMonitor.h"
#include "ScopedEnv.h"
#include "TempDir.h"

namespace {

using corvantis::test::firebirdServer;
using corvantis::test::ScratchDatabase;

std::string ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

// The template's fourteen lines with the test server's database and credentials.
std::vector<std::string> ConnectionLines(const std::string& database) {
  std::vector<std::string> lines = support::BuiltInConnectionLines();
  for (std::string& line : lines) {
    if (line.rfind("Database=", 0) == 0) line = "Database=" + database;
    if (line.rfind("User_Name=", 0) == 0) line = "User_Name=" + firebirdServer().user;
    if (line.rfind("Password=", 0) == 0) line = "Password=" + firebirdServer().password;
  }
  return lines;
}

std::string DriverSection() {
  return support::IniSection("Firebird", {"LibraryName=" + std::string(CORVANTIS_BIN_DIR) + "/libdbvfb.so",
                                          "VendorLib=libfbclient.so.2", "GetDriverFunc=getSQLDriverFIREBIRD"});
}

// Runs one statement on the open connection the way the statement layer does.
dbv::SQLResult RunStatement(TSQLConnection& connection, const std::string& sql) {
  dbv::ISQLCommand* command = nullptr;
  dbv::SQLResult result = connection.DriverConnection()->getSQLCommand(&command);
  if (dbv::failed(result)) return result;
  result = command->prepare(sql.c_str(), 0);
  dbv::ISQLCursor* cursor = nullptr;
  if (!dbv::failed(result)) result = command->execute(&cursor);
  if (cursor != nullptr) cursor->release();
  command->release();
  return result;
}

class ConnectionOnServer : public ::testing::Test {
 protected:
  void SetUp() override {
    CORVANTIS_REQUIRE_FB_SERVER();
    database_ = std::make_unique<ScratchDatabase>(ScratchDatabase::onServer("connection"));
    ASSERT_TRUE(database_->created()) << database_->createOutput();
  }

  const std::string& Database() const { return database_->connectionString(); }

  support::TempDir dir_;
  support::ScopedEnv configHome_{"XDG_CONFIG_HOME", dir_.PathOf("config")};
  std::unique_ptr<ScratchDatabase> database_;
};

TEST_F(ConnectionOnServer, OpensWithTheDefaultFilesBesideTheProgram) {
  dir_.Write("program/dbvconnections.ini", support::IniSection("Quintara", ConnectionLines(Database())));
  dir_.Write("program/dbvdrivers.ini", DriverSection());
  TSQLConnection connection("SQLConnection1", dir_.PathOf("program"));
  connection.Open();
  EXPECT_TRUE(connection.Connected());
  EXPECT_EQ(connection.MaxStmtsPerConn(), 0);
  EXPECT_EQ(connection.DefaultIsolationLevel(), 0);
  EXPECT_EQ(RunStatement(connection, "SELECT 1 FROM RDB$DATABASE\r\n"), dbv::kSuccess);
  connection.Close();
  EXPECT_FALSE(connection.Connected());
}

TEST_F(ConnectionOnServer, OpensWithTheFilesTheUserSettingsName) {
  const std::string connections =
      dir_.Write("elsewhere/my connections.ini", support::IniSection("Quintara", ConnectionLines(Database())));
  const std::string drivers = dir_.Write("elsewhere/drivers.ini", DriverSection());
  dir_.Write("config/Aldmark/Dbvance.conf", support::IniSection("Dbvance", {"Connection Registry File=" + connections,
                                                                            "Driver Registry File=" + drivers}));
  TSQLConnection connection("SQLConnection1", dir_.PathOf("empty-program-folder"));
  EXPECT_EQ(connection.ConnectionRegistryFile(), connections);
  connection.Open();
  EXPECT_TRUE(connection.Connected());
  EXPECT_EQ(RunStatement(connection, "SELECT 1 FROM RDB$DATABASE\r\n"), dbv::kSuccess);
}

void ReplaceOnce(std::string& text, const std::string& from, const std::string& to) {
  const std::size_t at = text.find(from);
  ASSERT_NE(at, std::string::npos) << from;
  text.replace(at, from.size(), to);
}

TEST_F(ConnectionOnServer, TheTemplatesConnectOnceTheirDatabaseIsFilledIn) {
  std::string connections = ReadFile(std::string(CORVANTIS_SOURCE_DIR) + "/scripts/templates/dbvconnections.ini");
  const std::string drivers = ReadFile(std::string(CORVANTIS_SOURCE_DIR) + "/scripts/templates/dbvdrivers.ini");
  ReplaceOnce(connections, "Database=localhost:/opt/firebird/data/EMPTY/POSDATA.GDB", "Database=" + Database());
  ReplaceOnce(connections, "Password=tessaric", "Password=" + firebirdServer().password);
  dir_.Write("program/dbvconnections.ini", connections);
  dir_.Write("program/dbvdrivers.ini", drivers);
  TSQLConnection connection("SQLConnection1", dir_.PathOf("program"));
  connection.Open();  // the bare LibraryName is found beside the test program
  EXPECT_TRUE(connection.Connected());
  EXPECT_EQ(connection.LibraryName, "libdbvfb.so");
  EXPECT_EQ(connection.Params.Lines().size(), 14u);
}

TEST_F(ConnectionOnServer, ARefusedPasswordRaisesTheServersMessage) {
  std::vector<std::string> lines = ConnectionLines(Database());
  std::replace(lines.begin(), lines.end(), "Password=" + firebirdServer().password, std::string("Password=wrong"));
  dir_.Write("program/dbvconnections.ini", support::IniSection("Quintara", lines));
  dir_.Write("program/dbvdrivers.ini", DriverSection());
  TSQLConnection connection("SQLConnection1", dir_.PathOf("program"));
  const support::Raised raised = support::RaisedBy([&] { connection.Open(); });
  EXPECT_EQ(raised.kind, "EDatabaseError");
  EXPECT_EQ(raised.text.rfind("Dbvance Error: ", 0), 0u) << raised.text;
  EXPECT_NE(raised.text.find("\r\nSQL Server Error: "), std::string::npos) << raised.text;
  EXPECT_NE(raised.text.find("password"), std::string::npos) << raised.text;
  EXPECT_EQ(connection.LastErrorText(), raised.text);
  EXPECT_FALSE(connection.Connected());
  EXPECT_EQ(connection.State(), ConnectionState::Closed);
}

TEST_F(ConnectionOnServer, AMissingDatabaseRaisesTheServersMessage) {
  dir_.Write("program/dbvconnections.ini",
             support::IniSection("Quintara", ConnectionLines(firebirdServer().address(firebirdServer().dataDir +
                                                                                      "/no-such-database.fdb"))));
  dir_.Write("program/dbvdrivers.ini", DriverSection());
  TSQLConnection connection("SQLConnection1", dir_.PathOf("program"));
  const support::Raised raised = support::RaisedBy([&] { connection.Open(); });
  EXPECT_EQ(raised.kind, "EDatabaseError");
  EXPECT_NE(raised.text.find("SQL Server Error: "), std::string::npos) << raised.text;
  EXPECT_NE(raised.text.find("no-such-database.fdb"), std::string::npos) << raised.text;
  EXPECT_FALSE(connection.Connected());
}

TEST_F(ConnectionOnServer, TheMonitorLogsWhatFollowsTheOpeningAndNothingOfIt) {
  dir_.Write("program/dbvconnections.ini", support::IniSection("Quintara", ConnectionLines(Database())));
  dir_.Write("program/dbvdrivers.ini", DriverSection());
  std::vector<std::string> lines;
  TSQLConnection connection("SQLConnection1", dir_.PathOf("program"));
  TSQLMonitor monitor("SQLMonitor1");
  monitor.SetSQLConnection(&connection);
  monitor.OnLogTrace = [&lines](TSQLMonitor*, dbv::pSQLTRACEDesc record) {
    lines.emplace_back(record->TraceText, strnlen(record->TraceText, sizeof record->TraceText));
  };
  connection.AfterConnect = [&monitor](TSQLConnection*) { monitor.SetActive(true); };
  connection.Open();
  EXPECT_TRUE(monitor.Active());
  EXPECT_TRUE(lines.empty()) << lines.front();
  const std::string statement = "SELECT 42 FROM RDB$DATABASE\r\n";
  ASSERT_EQ(RunStatement(connection, statement), dbv::kSuccess);
  ASSERT_FALSE(lines.empty());
  EXPECT_TRUE(std::any_of(lines.begin(), lines.end(),
                          [](const std::string& line) { return line.find("SELECT 42 FROM RDB$DATABASE") != std::string::npos; }));
  for (const std::string& line : lines) EXPECT_EQ(line.find(firebirdServer().password), std::string::npos) << line;
  monitor.MarkDestroying();
  const std::size_t before = lines.size();
  ASSERT_EQ(RunStatement(connection, statement), dbv::kSuccess);
  EXPECT_EQ(lines.size(), before);
}

}  // namespace
