// The connection's opening against the scripted fake driver: which driver
// calls it makes, in which order and with which values.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "FakeDriverSetup.h"
#include "Raised.h"

namespace {

using Calls = std::vector<std::string>;

const std::string kBuiltInDatabase = "localhost:/opt/firebird/data/EMPTY/POSDATA.GDB";

Calls OptionsAndConnect() {
  return fake::CallsStartingWith({"conn.setOption(", "conn.setStringOption(", "conn.connect("});
}

TEST(ConnectionOpening, BuiltInListHandsOverExactlyItsOptions) {
  support::FakeDriverSetup setup;
  auto connection = setup.MakeConnection();
  connection->Open();
  EXPECT_EQ(OptionsAndConnect(), (Calls{"conn.setStringOption(3,RoleName)", "conn.setOption(4,1)",
                                        "conn.setOption(5,0)", "conn.setOption(6,0)", "conn.setOption(16,3)",
                                        "conn.setOption(25,0)",
                                        "conn.connect(" + kBuiltInDatabase + ",SYSDBA,tessaric)",
                                        "conn.setOption(2,-1)"}));
}

TEST(ConnectionOpening, MakesEveryDriverCallInOrder) {
  support::FakeDriverSetup setup;
  auto connection = setup.MakeConnection();
  connection->Open();
  EXPECT_EQ(fake::Calls(),
            (Calls{"getSQLDriverFIREBIRD(libfbclient.so.2,)", "driver.getSQLConnection()",
                   "conn.setStringOption(3,RoleName)", "conn.setOption(4,1)", "conn.setOption(5,0)",
                   "conn.setOption(6,0)", "conn.setOption(16,3)", "conn.setOption(25,0)",
                   "conn.connect(" + kBuiltInDatabase + ",SYSDBA,tessaric)", "conn.getOption(14)",
                   "conn.getSQLMetaData()", "meta.setStringOption(1,SYSDBA)", "meta.getOption(11)",
                   "conn.setOption(2,-1)", "meta.getOption(5)", "meta.getOption(15)"}));
}

TEST(ConnectionOpening, OpenConnectionHoldsTheNamesAndAnswers) {
  support::FakeDriverSetup setup;
  fake::SetOptionAnswer("conn.getOption(14)", fake::Int32Bytes(1));
  fake::SetOptionAnswer("meta.getOption(15)", fake::Int32Bytes(0));
  auto connection = setup.MakeConnection();
  connection->Open();
  EXPECT_TRUE(connection->Connected());
  EXPECT_EQ(connection->State(), ConnectionState::Open);
  EXPECT_TRUE(connection->Loaded());
  EXPECT_EQ(connection->DriverName, "Firebird");
  EXPECT_EQ(connection->LibraryName, support::FakeDriverLibrary());
  EXPECT_EQ(connection->VendorLib, "libfbclient.so.2");
  EXPECT_EQ(connection->GetDriverFunc, "getSQLDriverFIREBIRD");
  EXPECT_EQ(connection->Params.Lines(), support::BuiltInConnectionLines());
  EXPECT_EQ(connection->MaxStmtsPerConn(), 1);
  EXPECT_EQ(connection->QuoteChar(), "\"");
  EXPECT_TRUE(connection->TransactionsSupported());
  EXPECT_FALSE(connection->MultipleTransactionsSupported());
  EXPECT_EQ(connection->TransactionCount(), 0);
  EXPECT_NE(connection->DriverConnection(), nullptr);
}

TEST(ConnectionOpening, OpeningAnOpenConnectionCallsNothing) {
  support::FakeDriverSetup setup;
  auto connection = setup.MakeConnection();
  connection->Open();
  fake::ClearCalls();
  connection->Open();
  EXPECT_TRUE(fake::Calls().empty());
}

TEST(ConnectionOpening, QuoteCharacterIsEmptyWhenRefusedOrZero) {
  for (const bool refuse : {true, false}) {
    support::FakeDriverSetup setup;
    if (refuse) {
      fake::Fail({.call = "meta.getOption(11)", .status = 5});
    } else {
      fake::SetOptionAnswer("meta.getOption(11)", std::string(1, '\0'));
    }
    auto connection = setup.MakeConnection();
    connection->Open();
    EXPECT_EQ(connection->QuoteChar(), "") << (refuse ? "refused" : "zero byte");
    EXPECT_TRUE(connection->Connected());
  }
}

TEST(ConnectionOpening, RefusedOptionsAndAnswersDoNotStopIt) {
  support::FakeDriverSetup setup;
  fake::Fail({.call = "conn.setOption(", .status = 5});
  fake::Fail({.call = "conn.setStringOption(", .status = 5});
  fake::Fail({.call = "conn.getOption(", .status = 5});
  fake::Fail({.call = "meta.", .status = 5});
  auto connection = setup.MakeConnection();
  connection->Open();
  EXPECT_TRUE(connection->Connected());
  EXPECT_EQ(connection->MaxStmtsPerConn(), 0);
  EXPECT_FALSE(connection->TransactionsSupported());
}

// ---- The option table, read from the connection registry file.

struct OptionCase {
  const char* behaviour;
  std::vector<std::string> extraLines;
  Calls expectedBeforeConnect;
  std::int32_t expectedIsolation = 0;
};
void PrintTo(const OptionCase& c, std::ostream* out) { *out << c.behaviour; }

class ConnectionOptions : public ::testing::TestWithParam<OptionCase> {};

TEST_P(ConnectionOptions, HandOverTheValueRules) {
  std::vector<std::string> lines{"DriverName=Firebird", "Database=h:/x.fdb"};
  lines.insert(lines.end(), GetParam().extraLines.begin(), GetParam().extraLines.end());
  support::FakeDriverSetup setup(lines);
  auto connection = setup.MakeConnection();
  connection->Open();
  Calls expected = GetParam().expectedBeforeConnect;
  expected.push_back("conn.connect(h:/x.fdb,,)");
  expected.push_back("conn.setOption(2,-1)");
  EXPECT_EQ(OptionsAndConnect(), expected) << GetParam().behaviour;
  EXPECT_EQ(connection->DefaultIsolationLevel(), GetParam().expectedIsolation) << GetParam().behaviour;
}

INSTANTIATE_TEST_SUITE_P(
    Values, ConnectionOptions,
    ::testing::Values(
        OptionCase{"no option lines: nothing", {}, {}},
        OptionCase{"true in lower case is 1", {"WaitOnLocks=true"}, {"conn.setOption(4,1)"}},
        OptionCase{"yes is 0", {"WaitOnLocks=yes"}, {"conn.setOption(4,0)"}},
        OptionCase{"an empty value hands over nothing", {"WaitOnLocks="}, {}},
        OptionCase{"the other flags", {"CommitRetain=TRUE", "AutoCommit=tRuE", "BlockingMode=False",
                                       "OS Authentication=true", "Multiple Transaction=1", "Trim Char=True"},
                   {"conn.setOption(5,1)", "conn.setOption(0,1)", "conn.setOption(1,0)", "conn.setOption(20,1)",
                    "conn.setOption(22,0)", "conn.setOption(25,1)"}},
        OptionCase{"RepeatableRead is level 1", {"Firebird TransIsolation=RepeatableRead"}, {"conn.setOption(6,1)"}, 1},
        OptionCase{"DirtyRead in any case is level 2", {"Firebird TransIsolation=DIRTYREAD"}, {"conn.setOption(6,2)"},
                   2},
        OptionCase{"ReadCommited is level 0", {"Firebird TransIsolation=ReadCommited"}, {"conn.setOption(6,0)"}, 0},
        OptionCase{"another driver's isolation key is ignored", {"Other TransIsolation=RepeatableRead"}, {}, 0},
        OptionCase{"SQLDialect is found as SqlDialect", {"SQLDialect=3"}, {"conn.setOption(16,3)"}},
        OptionCase{"integers are signed 32-bit", {"SqlDialect=+1", "Connection Timeout=-2147483648"},
                   {"conn.setOption(16,1)", "conn.setOption(32,-2147483648)"}},
        OptionCase{"texts", {"HostName=db-host", "RoleName=Clerk", "Server Port=3051", "Custom String=a b=c"},
                   {"conn.setStringOption(10,db-host)", "conn.setStringOption(3,Clerk)",
                    "conn.setStringOption(23,3051)", "conn.setStringOption(31,a b=c)"}},
        OptionCase{"an empty ServerCharSet is skipped", {"ServerCharSet="}, {}},
        OptionCase{"a ServerCharSet is handed over", {"ServerCharSet=BIG_5"}, {"conn.setStringOption(15,BIG_5)"}},
        OptionCase{"applied in table order, not file order",
                   {"Connection Timeout=9", "Custom String=c", "Trim Char=true", "Multiple Transaction=true",
                    "Server Port=1", "OS Authentication=true", "SqlDialect=1", "Firebird TransIsolation=dirtyread",
                    "ServerCharSet=NONE", "BlockingMode=true", "AutoCommit=true", "CommitRetain=true",
                    "WaitOnLocks=true", "RoleName=R", "HostName=H"},
                   {"conn.setStringOption(10,H)", "conn.setStringOption(3,R)", "conn.setOption(4,1)",
                    "conn.setOption(5,1)", "conn.setOption(0,1)", "conn.setOption(1,1)",
                    "conn.setStringOption(15,NONE)", "conn.setOption(6,2)", "conn.setOption(16,1)",
                    "conn.setOption(20,1)", "conn.setStringOption(23,1)", "conn.setOption(22,1)",
                    "conn.setOption(25,1)", "conn.setStringOption(31,c)", "conn.setOption(32,9)"},
                   2}));

// ---- Values the INI reader would have trimmed: set directly, with the
// parameters not reloaded.

struct DirectCase {
  const char* behaviour;
  std::vector<std::string> lines;
  Calls expected;  // options, connect, metadata user name and blob size
};
void PrintTo(const DirectCase& c, std::ostream* out) { *out << c.behaviour; }

class DirectParameters : public ::testing::TestWithParam<DirectCase> {};

TEST_P(DirectParameters, AreTrimmedWhereTheRuleSays) {
  support::FakeDriverSetup setup;
  auto connection = setup.MakeConnection();
  connection->LoadParamsOnConnect = false;
  connection->LibraryName = " " + support::FakeDriverLibrary() + " ";  // loaded trimmed
  connection->GetDriverFunc = " getSQLDriverFIREBIRD\t";
  connection->Params.Clear();
  for (const std::string& line : GetParam().lines) connection->Params.Add(line);
  connection->Open();
  EXPECT_EQ(fake::CallsStartingWith({"conn.setOption(", "conn.setStringOption(", "conn.connect(", "meta.setStringOption("}),
            GetParam().expected)
      << GetParam().behaviour;
}

INSTANTIATE_TEST_SUITE_P(
    Trimming, DirectParameters,
    ::testing::Values(
        DirectCase{"texts, flags and integers are trimmed",
                   {"Database=d", "RoleName=  R  ", "WaitOnLocks= true ", "SqlDialect= 3 "},
                   {"conn.setStringOption(3,R)", "conn.setOption(4,1)", "conn.setOption(16,3)",
                    "conn.connect(d,,)", "conn.setOption(2,-1)"}},
        DirectCase{"the isolation value is compared untrimmed",
                   {"Database=d", "Firebird TransIsolation= RepeatableRead"},
                   {"conn.setOption(6,0)", "conn.connect(d,,)", "conn.setOption(2,-1)"}},
        DirectCase{"a blank ServerCharSet is skipped", {"Database=d", "ServerCharSet=   "},
                   {"conn.connect(d,,)", "conn.setOption(2,-1)"}},
        DirectCase{"a blank HostName is handed over empty", {"Database=d", "HostName=  "},
                   {"conn.setStringOption(10,)", "conn.connect(d,,)", "conn.setOption(2,-1)"}},
        DirectCase{"Database trimmed, user name and password unchanged",
                   {"Database=  h:/db  ", "User_Name= sys ", "Password= pw "},
                   {"conn.connect(h:/db, sys , pw )", "meta.setStringOption(1,sys)", "conn.setOption(2,-1)"}},
        DirectCase{"BlobSize trimmed", {"Database=d", "BlobSize= 64 "},
                   {"conn.connect(d,,)", "conn.setOption(2,64)"}},
        DirectCase{"the driver registry's names are not read", {"Database=d", "DriverName=Other"},
                   {"conn.connect(d,,)", "conn.setOption(2,-1)"}}));

TEST(ConnectionOpening, ErrorResourceFileIsTrimmedAndHandedToTheEntryPoint) {
  support::FakeDriverSetup setup;
  auto connection = setup.MakeConnection();
  connection->LoadParamsOnConnect = false;
  connection->LibraryName = support::FakeDriverLibrary();
  connection->VendorLib = " vendor.so ";
  connection->Params = ParamList{"Database=d", "ErrorResourceFile=  errors.res "};
  connection->Open();
  EXPECT_EQ(fake::CallsStartingWith({"getSQLDriver"}), (Calls{"getSQLDriverFIREBIRD( vendor.so ,errors.res)"}));
}

// ---- The login list.

struct LoginCase {
  const char* behaviour;
  std::vector<std::string> lines;
  std::string expectedConnect;
  Calls expectedMetaUser;
};
void PrintTo(const LoginCase& c, std::ostream* out) { *out << c.behaviour; }

class LoginList : public ::testing::TestWithParam<LoginCase> {};

TEST_P(LoginList, GivesTheConnectCallItsValues) {
  std::vector<std::string> lines{"DriverName=Firebird"};
  lines.insert(lines.end(), GetParam().lines.begin(), GetParam().lines.end());
  support::FakeDriverSetup setup(lines);
  auto connection = setup.MakeConnection();
  connection->Open();
  EXPECT_EQ(fake::CallsStartingWith({"conn.connect("}), Calls{GetParam().expectedConnect}) << GetParam().behaviour;
  EXPECT_EQ(fake::CallsStartingWith({"meta.setStringOption("}), GetParam().expectedMetaUser) << GetParam().behaviour;
}

INSTANTIATE_TEST_SUITE_P(
    Lines, LoginList,
    ::testing::Values(
        LoginCase{"the three names in any letter case",
                  {"database=h:/db", "user_name=clerk", "PassWord=pw"},
                  "conn.connect(h:/db,clerk,pw)",
                  {"meta.setStringOption(1,clerk)"}},
        LoginCase{"duplicates: the first line of a name wins",
                  {"Database=h:/one", "User_Name=first", "USER_NAME=second", "Password=a", "password=a",
                   "Password=b", "DATABASE=h:/two"},
                  "conn.connect(h:/one,first,a)",
                  {"meta.setStringOption(1,first)"}},
        LoginCase{"missing user name and password are empty, and no user goes to the metadata",
                  {"Database=h:/db"},
                  "conn.connect(h:/db,,)",
                  {}},
        LoginCase{"other lines do not take part", {"Database=h:/db", "UserName=x", "Pass=y"}, "conn.connect(h:/db,,)",
                  {}}));

TEST(ConnectionOpening, BlobSizeIsHandedOverAfterTheConnect) {
  struct Row {
    const char* line;
    const char* expected;
  };
  for (const Row& row : {Row{"BlobSize=", "conn.setOption(2,-1)"}, Row{"LocaleCode=0000", "conn.setOption(2,-1)"},
                         Row{"BlobSize=32", "conn.setOption(2,32)"}, Row{"BlobSize=-1", "conn.setOption(2,-1)"}}) {
    support::FakeDriverSetup setup({"DriverName=Firebird", "Database=d", row.line});
    auto connection = setup.MakeConnection();
    connection->Open();
    const Calls calls = fake::CallsStartingWith({"conn.connect(", "conn.setOption(2,"});
    EXPECT_EQ(calls, (Calls{"conn.connect(d,,)", row.expected})) << row.line;
  }
}

}  // namespace
