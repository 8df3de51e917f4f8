// Every way the opening fails: the exact text and class, and what the
// connection and the driver objects are left with.
#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "FakeDriverSetup.h"
#include "Raised.h"

namespace {

using Calls = std::vector<std::string>;
using support::FakeDriverSetup;
using support::Raised;

const std::string kStatus65 = "Dbvance Error: [0x0065]: SQL Error\r\nSQL Server Error: ";

std::vector<std::string> Section(std::vector<std::string> extra) {
  std::vector<std::string> lines{"DriverName=Firebird", "Database=h:/x.fdb"};
  lines.insert(lines.end(), extra.begin(), extra.end());
  return lines;
}

struct FailureCase {
  const char* behaviour;
  std::function<void(FakeDriverSetup&, TSQLConnection&)> arrange;
  std::function<Raised(const FakeDriverSetup&)> expected;
};
void PrintTo(const FailureCase& c, std::ostream* out) { *out << c.behaviour; }

class OpeningFailure : public ::testing::TestWithParam<FailureCase> {};

TEST_P(OpeningFailure, RaisesItsTextAndLeavesTheConnectionNotOpen) {
  FakeDriverSetup setup;
  auto connection = setup.MakeConnection();
  GetParam().arrange(setup, *connection);
  EXPECT_EQ(support::RaisedBy([&] { connection->Open(); }), GetParam().expected(setup)) << GetParam().behaviour;
  EXPECT_FALSE(connection->Connected()) << GetParam().behaviour;
  EXPECT_NE(connection->State(), ConnectionState::Open) << GetParam().behaviour;
  EXPECT_EQ(fake::AttachedConnections(), 0) << GetParam().behaviour;
}

Raised Database(const std::string& text) { return {"EDatabaseError", text}; }

auto Fixed(Raised raised) {
  return [raised](const FakeDriverSetup&) { return raised; };
}

INSTANTIATE_TEST_SUITE_P(
    Table, OpeningFailure,
    ::testing::Values(
        FailureCase{"no connection registry file",
                    [](FakeDriverSetup& s, TSQLConnection&) { s.Dir().Remove("dbvconnections.ini"); },
                    [](const FakeDriverSetup& s) {
                      return Database("Driver/Connection Registry File '" + s.ConnectionFile() + "' not found");
                    }},
        FailureCase{"a folder at the connection registry file's path",
                    [](FakeDriverSetup& s, TSQLConnection&) {
                      s.Dir().Remove("dbvconnections.ini");
                      std::filesystem::create_directory(s.ConnectionFile());
                    },
                    [](const FakeDriverSetup& s) {
                      return Database("Driver/Connection Registry File '" + s.ConnectionFile() + "' not found");
                    }},
        FailureCase{"ConnectionName empty", [](FakeDriverSetup&, TSQLConnection& c) { c.ConnectionName = ""; },
                    Fixed(Database("Connection name missing"))},
        FailureCase{"the section is missing",
                    [](FakeDriverSetup& s, TSQLConnection&) {
                      s.Dir().Write("dbvconnections.ini", "[Other]\r\nDriverName=Firebird\r\n");
                    },
                    Fixed(Database("Missing DriverName property"))},
        FailureCase{"the section lacks DriverName",
                    [](FakeDriverSetup& s, TSQLConnection&) { s.WriteConnectionSection({"Database=h:/x.fdb"}); },
                    Fixed(Database("Missing DriverName property"))},
        FailureCase{"the driver registry file is missing",
                    [](FakeDriverSetup& s, TSQLConnection&) { s.Dir().Remove("dbvdrivers.ini"); },
                    Fixed(Database("SQLConnection1: DLL/Shared Library Name not Set"))},
        FailureCase{"the driver section is missing",
                    [](FakeDriverSetup& s, TSQLConnection&) {
                      s.WriteConnectionSection({"DriverName=Other", "Database=h:/x.fdb"});
                    },
                    Fixed(Database("SQLConnection1: DLL/Shared Library Name not Set"))},
        FailureCase{"LibraryName is empty",
                    [](FakeDriverSetup& s, TSQLConnection&) {
                      s.WriteDriverSection({"LibraryName=", "VendorLib=v", "GetDriverFunc=getSQLDriverFIREBIRD"});
                    },
                    Fixed(Database("SQLConnection1: DLL/Shared Library Name not Set"))},
        FailureCase{"VendorLib is missing",
                    [](FakeDriverSetup& s, TSQLConnection&) {
                      s.WriteDriverSection({"LibraryName=" + support::FakeDriverLibrary(), "GetDriverFunc=x"});
                    },
                    Fixed(Database("SQLConnection1: DLL/Shared Library Name not Set"))},
        FailureCase{"Database is absent",
                    [](FakeDriverSetup& s, TSQLConnection&) {
                      s.WriteConnectionSection({"DriverName=Firebird", "Database="});
                    },
                    Fixed(Database("Missing Database property"))},
        FailureCase{"Database is absent and ConnectionName empty",
                    [](FakeDriverSetup&, TSQLConnection& c) {
                      c.LoadParamsOnConnect = false;
                      c.ConnectionName = "";
                      c.Params = ParamList{"User_Name=x"};
                    },
                    Fixed(Database("Connection name missing"))},
        FailureCase{"the driver library cannot be loaded",
                    [](FakeDriverSetup& s, TSQLConnection&) {
                      s.WriteDriverSection({"LibraryName=/nonexistent/libnone.so", "VendorLib=v", "GetDriverFunc=f"});
                    },
                    Fixed(Database("Unable to Load /nonexistent/libnone.so"))},
        FailureCase{"the library is named untrimmed in the message",
                    [](FakeDriverSetup&, TSQLConnection& c) {
                      c.LoadParamsOnConnect = false;
                      c.LibraryName = " /nonexistent/libnone.so ";
                    },
                    Fixed(Database("Unable to Load  /nonexistent/libnone.so "))},
        FailureCase{"GetDriverFunc is missing",
                    [](FakeDriverSetup& s, TSQLConnection&) {
                      s.WriteDriverSection({"LibraryName=" + support::FakeDriverLibrary(), "VendorLib=v"});
                    },
                    Fixed(Database("Unable to Find Procedure "))},
        FailureCase{"the entry point is not exported",
                    [](FakeDriverSetup& s, TSQLConnection&) {
                      s.WriteDriverSection(
                          {"LibraryName=" + support::FakeDriverLibrary(), "VendorLib=v", "GetDriverFunc=getNothing"});
                    },
                    Fixed(Database("Unable to Find Procedure getNothing"))},
        FailureCase{"the procedure is named untrimmed in the message",
                    [](FakeDriverSetup&, TSQLConnection& c) {
                      c.LoadParamsOnConnect = false;
                      c.LibraryName = support::FakeDriverLibrary();
                      c.GetDriverFunc = " getNothing ";
                    },
                    Fixed(Database("Unable to Find Procedure  getNothing "))},
        FailureCase{"the entry point answers a non-zero status",
                    [](FakeDriverSetup&, TSQLConnection&) {
                      fake::Fail({.call = "getSQLDriverFIREBIRD(", .status = 22});
                    },
                    Fixed(Database("Unable to Load libfbclient.so.2"))},
        FailureCase{"the driver refuses the connection object",
                    [](FakeDriverSetup&, TSQLConnection&) {
                      fake::Fail({.call = "driver.getSQLConnection(", .status = 22});
                    },
                    Fixed(Database("Dbvance Error: [0x0016]: Driver initialization failed"))},
        FailureCase{"the connect call is refused",
                    [](FakeDriverSetup&, TSQLConnection&) {
                      fake::Fail({.call = "conn.connect(", .status = 65, .message = "M"});
                    },
                    Fixed(Database(kStatus65 + "M"))},
        FailureCase{"the connect call is refused with status 12",
                    [](FakeDriverSetup&, TSQLConnection&) {
                      fake::Fail({.call = "conn.connect(", .status = 12, .message = "Your user name and password are not defined"});
                    },
                    Fixed(Database("Dbvance Error: [0x000C] Invalid Username/Password\r\nSQL Server Error: Your user "
                                   "name and password are not defined"))},
        FailureCase{"the connect call is refused and its message cannot be fetched",
                    [](FakeDriverSetup&, TSQLConnection&) {
                      fake::Fail({.call = "conn.connect(", .status = 21, .message = "M"});
                      fake::Fail({.call = "conn.getErrorMessage(", .status = 4});
                    },
                    Fixed(Database("Dbvance Error: [0x0015]: Connection failed"))},
        FailureCase{"the metadata object is refused",
                    [](FakeDriverSetup&, TSQLConnection&) {
                      fake::Fail({.call = "conn.getSQLMetaData(", .status = 65, .message = "no metadata"});
                    },
                    Fixed(Database(kStatus65 + "no metadata"))},
        FailureCase{"a stored trace hook is refused during the opening",
                    [](FakeDriverSetup&, TSQLConnection& c) {
                      c.SetTraceHook(+[](std::int32_t, dbv::pSQLTRACEDesc) -> std::int32_t { return 0; }, 77);
                      fake::Fail({.call = "conn.setOption(12,", .status = 65, .message = "no owner"});
                    },
                    Fixed(Database(kStatus65 + "no owner"))},
        FailureCase{"three as SqlDialect",
                    [](FakeDriverSetup& s, TSQLConnection&) { s.WriteConnectionSection(Section({"SqlDialect=three"})); },
                    Fixed({"EConvertError", "'three' is not a valid integer value"})},
        FailureCase{"an integer beyond 32 bits",
                    [](FakeDriverSetup& s, TSQLConnection&) {
                      s.WriteConnectionSection(Section({"Connection Timeout=2147483648"}));
                    },
                    Fixed({"EConvertError", "'2147483648' is not a valid integer value"})},
        FailureCase{"a fraction as an integer",
                    [](FakeDriverSetup& s, TSQLConnection&) { s.WriteConnectionSection(Section({"SQLDialect=3.0"})); },
                    Fixed({"EConvertError", "'3.0' is not a valid integer value"})},
        FailureCase{"a BlobSize that is no integer",
                    [](FakeDriverSetup& s, TSQLConnection&) { s.WriteConnectionSection(Section({"BlobSize=big"})); },
                    Fixed({"EConvertError", "'big' is not a valid integer value"})}));

// ---- What a failure leaves behind.

TEST(OpeningFailureCleanUp, BeforeTheDriverIsCalledNothingIsLoadedOrContacted) {
  FakeDriverSetup setup;
  setup.Dir().Remove("dbvconnections.ini");
  auto connection = setup.MakeConnection();
  EXPECT_EQ(support::RaisedBy([&] { connection->Open(); }).kind, "EDatabaseError");
  EXPECT_TRUE(fake::Calls().empty());
  EXPECT_FALSE(connection->Loaded());
  EXPECT_EQ(connection->State(), ConnectionState::Closed);
}

TEST(OpeningFailureCleanUp, RefusedConnectReleasesTheConnectionWithoutDisconnect) {
  FakeDriverSetup setup;
  fake::Fail({.call = "conn.connect(", .status = 65, .message = "M", .times = 1});
  auto connection = setup.MakeConnection();
  EXPECT_EQ(support::RaisedBy([&] { connection->Open(); }).kind, "EDatabaseError");
  const Calls calls = fake::Calls();
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls.back(), "conn.release()");
  EXPECT_FALSE(fake::Called("conn.disconnect("));
  EXPECT_EQ(connection->State(), ConnectionState::Closed);
  EXPECT_EQ(connection->DriverConnection(), nullptr);
  EXPECT_EQ(connection->LastErrorText(), kStatus65 + "M");
  // The driver object waits for the next attempt, which replaces it.
  EXPECT_EQ(fake::Live().drivers, 1);
  EXPECT_EQ(fake::Live().connections, 0);
  fake::ClearCalls();
  connection->Open();
  EXPECT_EQ(fake::Calls().front(), "driver.release()");
  EXPECT_EQ(fake::Calls().at(1), "getSQLDriverFIREBIRD(libfbclient.so.2,)");
  EXPECT_EQ(fake::Live().drivers, 1);
}

// Deliberately sounder than leaving it: an opening abandoned after the
// connect call must not leave a server attachment nobody can close.
TEST(OpeningFailureCleanUp, AbandonedAfterTheConnectTheConnectionIsDisconnected) {
  for (const bool blobSize : {true, false}) {
    FakeDriverSetup setup(Section({blobSize ? "BlobSize=big" : "BlobSize=1"}));
    if (!blobSize) fake::Fail({.call = "conn.getSQLMetaData(", .status = 65, .message = "M"});
    auto connection = setup.MakeConnection();
    EXPECT_NE(support::RaisedBy([&] { connection->Open(); }).kind, "nothing");
    EXPECT_TRUE(fake::Called("conn.connect(")) << blobSize;
    EXPECT_EQ(fake::CallsStartingWith({"conn.disconnect(", "conn.release(", "meta.release("}).back(), "conn.release()");
    EXPECT_TRUE(fake::Called("conn.disconnect(")) << blobSize;
    EXPECT_EQ(fake::AttachedConnections(), 0) << blobSize;
    EXPECT_EQ(fake::Live().connections, 0) << blobSize;
    EXPECT_EQ(fake::Live().metaData, 0) << blobSize;
    EXPECT_EQ(connection->State(), ConnectionState::Closed) << blobSize;
  }
}

TEST(OpeningFailureCleanUp, NoClientIsToldAndAfterConnectDoesNotRun) {
  struct Client : TConnectionClient {
    int opened = 0;
    void ConnectionOpened() override { ++opened; }
    void ConnectionClosing() override {}
  } client;
  FakeDriverSetup setup;
  fake::Fail({.call = "conn.connect(", .status = 65});
  auto connection = setup.MakeConnection();
  int afterConnect = 0;
  connection->AfterConnect = [&](TSQLConnection*) { ++afterConnect; };
  connection->RegisterClient(&client);
  EXPECT_EQ(support::RaisedBy([&] { connection->Open(); }).kind, "EDatabaseError");
  EXPECT_EQ(client.opened, 0);
  EXPECT_EQ(afterConnect, 0);
  connection->UnregisterClient(&client);
}

TEST(OpeningFailureCleanUp, AnUnlistedStatusWithoutMessageFallsBackToTheLastErrorText) {
  FakeDriverSetup setup;
  fake::Fail({.call = "conn.connect(", .status = 65, .message = "first", .times = 1});
  fake::Fail({.call = "conn.connect(", .status = 100, .message = ""});
  auto connection = setup.MakeConnection();
  EXPECT_EQ(support::RaisedBy([&] { connection->Open(); }).text, kStatus65 + "first");
  EXPECT_EQ(support::RaisedBy([&] { connection->Open(); }).text, kStatus65 + "first");
}

TEST(OpeningFailureCleanUp, AnUnknownStatusWithNothingElseNamesTheCode) {
  FakeDriverSetup setup;
  fake::Fail({.call = "conn.connect(", .status = 0x10000 | 4711});
  auto connection = setup.MakeConnection();
  EXPECT_EQ(support::RaisedBy([&] { connection->Open(); }),
            (Raised{"EDatabaseError", "Dbvance Error: Unknown Error Code '4711'"}));
}

}  // namespace
