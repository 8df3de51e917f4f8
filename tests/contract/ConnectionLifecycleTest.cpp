// The connection over its life: another attempt after a failure, clients
// and AfterConnect, closing, and destruction with statements and monitors
// still attached.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FakeDriverSetup.h"
#include "PlatformNames.h"
#include "Raised.h"
#include "SQLMonitor.h"

namespace {

using Calls = std::vector<std::string>;
using support::FakeDriverSetup;

// A client that writes what it is told into a shared journal.
struct JournalClient : TConnectionClient {
  explicit JournalClient(std::vector<std::string>& journal) : journal(journal) {}
  void ConnectionOpened() override { journal.push_back("opened"); }
  void ConnectionClosing() override { journal.push_back("closing"); }
  void ConnectionDetached() override { journal.push_back("detached"); }
  std::vector<std::string>& journal;
};

TEST(ConnectionRetry, AfterAFailedConnectUsesTheHeldParametersAndReadsTheNamesAgain) {
  FakeDriverSetup setup;
  fake::Fail({.call = "conn.connect(", .status = 65, .message = "down", .times = 1});
  auto connection = setup.MakeConnection();
  EXPECT_EQ(support::RaisedBy([&] { connection->Open(); }).kind, "EDatabaseError");
  EXPECT_TRUE(connection->Loaded());

  std::vector<std::string> changed = support::BuiltInConnectionLines();
  changed[2] = "RoleName=Changed";
  setup.WriteConnectionSection(changed);
  setup.WriteDriverSection({"LibraryName=" + support::FakeDriverLibrary(), "VendorLib=other.so",
                            "GetDriverFunc=getSQLDriverFAKE"});
  fake::ClearCalls();
  connection->Open();
  EXPECT_TRUE(connection->Connected());
  EXPECT_EQ(fake::CallsStartingWith({"getSQLDriver", "conn.setStringOption(3,"}),
            (Calls{"getSQLDriverFAKE(other.so,)", "conn.setStringOption(3,RoleName)"}));
  EXPECT_EQ(connection->GetDriverFunc, "getSQLDriverFAKE");
  EXPECT_EQ(connection->VendorLib, "other.so");
}

TEST(ConnectionRetry, DoesNotTestTheFileForExistenceButReadsDriverNameFromIt) {
  FakeDriverSetup setup;
  fake::Fail({.call = "conn.connect(", .status = 65, .times = 1});
  auto connection = setup.MakeConnection();
  EXPECT_EQ(support::RaisedBy([&] { connection->Open(); }).kind, "EDatabaseError");
  setup.Dir().Remove("dbvconnections.ini");
  EXPECT_EQ(support::RaisedBy([&] { connection->Open(); }),
            (support::Raised{"EDatabaseError", "Missing DriverName property"}));
}

TEST(ConnectionRetry, AfterCloseTheFileIsReadAgain) {
  FakeDriverSetup setup;
  auto connection = setup.MakeConnection();
  connection->Open();
  connection->Close();
  EXPECT_FALSE(connection->Loaded());
  std::vector<std::string> changed = support::BuiltInConnectionLines();
  changed[2] = "RoleName=Changed";
  setup.WriteConnectionSection(changed);
  fake::ClearCalls();
  connection->Open();
  EXPECT_EQ(fake::CallsStartingWith({"conn.setStringOption(3,"}), (Calls{"conn.setStringOption(3,Changed)"}));
}

TEST(ConnectionEvents, ClientsAreToldBeforeAfterConnectRuns) {
  std::vector<std::string> journal;
  JournalClient first(journal);
  JournalClient second(journal);
  FakeDriverSetup setup;
  auto connection = setup.MakeConnection();
  connection->RegisterClient(&first);
  connection->RegisterClient(&second);
  connection->RegisterClient(&first);  // once only
  connection->AfterConnect = [&](TSQLConnection* sender) {
    journal.push_back(sender == connection.get() && sender->Connected() ? "after connect, open" : "wrong");
  };
  connection->Open();
  EXPECT_EQ(journal, (std::vector<std::string>{"opened", "opened", "after connect, open"}));
  connection->UnregisterClient(&first);
  connection->Close();
  EXPECT_EQ(journal.back(), "closing");
  EXPECT_EQ(journal.size(), 4u);
  connection->UnregisterClient(&second);
}

TEST(ConnectionEvents, AFailingAfterConnectLeavesTheConnectionOpen) {
  FakeDriverSetup setup;
  auto connection = setup.MakeConnection();
  connection->AfterConnect = [](TSQLConnection*) { throw EDatabaseError("handler failed"); };
  EXPECT_EQ(support::RaisedBy([&] { connection->Open(); }).text, "handler failed");
  EXPECT_TRUE(connection->Connected());
}

TEST(ConnectionClosing, RemovesTheHookDisconnectsAndReleasesEverything) {
  std::vector<std::string> journal;
  JournalClient client(journal);
  FakeDriverSetup setup;
  auto connection = setup.MakeConnection();
  connection->RegisterClient(&client);
  connection->Open();
  fake::ClearCalls();
  connection->Close();
  EXPECT_EQ(fake::Calls(), (Calls{"conn.setOption(9,0)", "conn.setOption(12,0)", "meta.release()",
                                  "conn.disconnect()", "conn.release()", "driver.release()"}));
  EXPECT_EQ(journal, (std::vector<std::string>{"opened", "closing"}));
  EXPECT_EQ(connection->State(), ConnectionState::Closed);
  EXPECT_FALSE(connection->Connected());
  EXPECT_FALSE(connection->Loaded());
  EXPECT_EQ(connection->DriverConnection(), nullptr);
  EXPECT_EQ(fake::AttachedConnections(), 0);
  const fake::LiveCounts live = fake::Live();
  EXPECT_EQ(live.drivers + live.connections + live.metaData, 0);
  connection->UnregisterClient(&client);
}

TEST(ConnectionClosing, ARefusedHookRemovalIsReportedAfterEverythingIsReleased) {
  FakeDriverSetup setup;
  auto connection = setup.MakeConnection();
  connection->Open();
  fake::Fail({.call = "conn.setOption(9,0)", .status = 65, .message = "stuck"});
  fake::ClearCalls();
  EXPECT_EQ(support::RaisedBy([&] { connection->Close(); }),
            (support::Raised{"EDatabaseError", "Dbvance Error: [0x0065]: SQL Error\r\nSQL Server Error: stuck"}));
  EXPECT_FALSE(fake::Called("conn.setOption(12,"));
  EXPECT_TRUE(fake::Called("conn.disconnect("));
  EXPECT_EQ(connection->State(), ConnectionState::Closed);
  EXPECT_EQ(fake::AttachedConnections(), 0);
  EXPECT_EQ(fake::Live().drivers, 0);
}

TEST(ConnectionClosing, AClosedConnectionCallsNothing) {
  FakeDriverSetup setup;
  auto connection = setup.MakeConnection();
  connection->Close();
  EXPECT_TRUE(fake::Calls().empty());
}

TEST(ConnectionClosing, AfterAFailedOpeningReleasesTheHeldDriverObject) {
  FakeDriverSetup setup;
  fake::Fail({.call = "conn.connect(", .status = 65});
  auto connection = setup.MakeConnection();
  EXPECT_EQ(support::RaisedBy([&] { connection->Open(); }).kind, "EDatabaseError");
  fake::ClearCalls();
  connection->Close();
  EXPECT_EQ(fake::Calls(), (Calls{"driver.release()"}));
  EXPECT_EQ(fake::Live().drivers, 0);
}

TEST(ConnectionDestruction, ClosesAndDetachesStatementsThenClosesThenDetachesMonitors) {
  std::vector<std::string> journal;
  JournalClient client(journal);
  FakeDriverSetup setup;
  TSQLMonitor monitor("SQLMonitor1");
  {
    auto connection = setup.MakeConnection();
    connection->RegisterClient(&client);
    monitor.SetSQLConnection(connection.get());
    connection->Open();
    monitor.SetActive(true);
    fake::ClearCalls();
    connection.reset();
  }
  EXPECT_EQ(journal, (std::vector<std::string>{"opened", "closing", "detached"}));
  EXPECT_EQ(fake::Calls(), (Calls{"conn.setOption(9,0)", "conn.setOption(12,0)", "meta.release()",
                                  "conn.disconnect()", "conn.release()", "driver.release()"}));
  EXPECT_FALSE(monitor.Active());
  EXPECT_EQ(monitor.SQLConnection(), nullptr);
}

TEST(ConnectionCreation, StartsClosedWithTheBuiltInProperties) {
  FakeDriverSetup setup;
  auto connection = setup.MakeConnection();
  EXPECT_EQ(connection->Name(), "SQLConnection1");
  EXPECT_EQ(connection->State(), ConnectionState::Closed);
  EXPECT_FALSE(connection->Loaded());
  EXPECT_EQ(connection->ConnectionName, "Quintara");
  EXPECT_EQ(connection->DriverName, "Firebird");
  EXPECT_EQ(connection->LibraryName, platform::BuiltInDriverLibrary);
  EXPECT_EQ(connection->GetDriverFunc, "getSQLDriverFIREBIRD");
  EXPECT_EQ(connection->VendorLib, platform::BuiltInClientLibrary);
  EXPECT_TRUE(connection->LoadParamsOnConnect);
  EXPECT_FALSE(connection->LoginPrompt);
  EXPECT_TRUE(connection->KeepConnection);
  EXPECT_EQ(connection->Params.Lines(), support::BuiltInConnectionLines());
  EXPECT_EQ(connection->ConnectionRegistryFile(), setup.ConnectionFile());
  EXPECT_TRUE(fake::Calls().empty());
}

TEST(ConnectionCreation, TheConnectionRegistryPathIsFixedWhenCreated) {
  FakeDriverSetup setup;
  auto connection = setup.MakeConnection();
  setup.UserSettings().Set("Connection Registry File", "/elsewhere.ini");
  EXPECT_EQ(connection->ConnectionRegistryFile(), setup.ConnectionFile());
  connection->Open();
  EXPECT_TRUE(connection->Connected());
}

TEST(ConnectionCreation, TheDriverRegistryPathIsWorkedOutAtEveryOpening) {
  FakeDriverSetup setup;
  auto connection = setup.MakeConnection();
  const std::string other = setup.Dir().Write(
      "other/drivers.ini", support::IniSection("Firebird", {"LibraryName=" + support::FakeDriverLibrary(),
                                                            "VendorLib=moved.so", "GetDriverFunc=getSQLDriverFAKE"}));
  setup.UserSettings().Set("Driver Registry File", other);
  connection->Open();
  EXPECT_EQ(fake::CallsStartingWith({"getSQLDriver"}), (Calls{"getSQLDriverFAKE(moved.so,)"}));
}

}  // namespace
