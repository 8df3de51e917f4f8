// The trace monitor with the connection and the fake driver: switching it on
// and off, the identity the driver carries, and which events reach the handler.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "FakeDriverSetup.h"
#include "Raised.h"
#include "SQLMonitor.h"

namespace {

using Calls = std::vector<std::string>;

const std::string kStatus65 = "Dbvance Error: [0x0065]: SQL Error\r\nSQL Server Error: ";

// The window's arrangement: a monitor attached while inactive, switched on
// by AfterConnect, its handler collecting the texts it is given.
class MonitorContract : public ::testing::Test {
 protected:
  MonitorContract() {
    monitor->SetSQLConnection(connection.get());
    monitor->OnLogTrace = [this](TSQLMonitor* sender, dbv::pSQLTRACEDesc record) {
      EXPECT_EQ(sender, monitor.get());
      lines.emplace_back(record->TraceText, strnlen(record->TraceText, sizeof record->TraceText));
    };
    connection->AfterConnect = [this](TSQLConnection*) { monitor->SetActive(true); };
  }

  // Any driver call made after the opening; the fake traces it when asked to.
  void SomeDriverCall() {
    std::int32_t value = 0;
    std::int32_t length = 0;
    connection->DriverConnection()->getOption(dbv::connopt::MaxActiveStatements, &value, sizeof value, &length);
  }

  support::FakeDriverSetup setup;
  std::unique_ptr<TSQLConnection> connection = setup.MakeConnection();
  std::unique_ptr<TSQLMonitor> monitor = std::make_unique<TSQLMonitor>("SQLMonitor1");
  std::vector<std::string> lines;
};

TEST_F(MonitorContract, AfterConnectInstallsTheCallbackThenTheIdentity) {
  connection->Open();
  EXPECT_TRUE(monitor->Active());
  const Calls calls = fake::Calls();
  const Calls lastTwo(calls.end() - 2, calls.end());
  EXPECT_EQ(lastTwo, (Calls{"conn.setOption(9,callback)", "conn.setOption(12," + std::to_string(monitor->Identity()) + ")"}));
  EXPECT_EQ(fake::InstalledCallback(), &TraceHookProc);
  EXPECT_EQ(fake::InstalledOwner(), monitor->Identity());
}

TEST_F(MonitorContract, NothingOfTheOpeningIsTracedAndEverythingAfterIt) {
  fake::TraceEveryCall(true);
  connection->Open();
  EXPECT_TRUE(lines.empty());
  SomeDriverCall();
  EXPECT_EQ(lines, (Calls{"conn.getOption(14)"}));
}

TEST_F(MonitorContract, AHookStoredBeforeTheOpeningTracesTheConnect) {
  monitor->SetActive(true);  // stored only: the connection is closed
  EXPECT_TRUE(fake::Calls().empty());
  connection->AfterConnect = nullptr;
  fake::TraceEveryCall(true);
  connection->Open();
  const Calls beforeOptions{"getSQLDriverFIREBIRD(libfbclient.so.2,)", "driver.getSQLConnection()",
                            "conn.setOption(9,callback)", "conn.setOption(12," + std::to_string(monitor->Identity()) + ")",
                            "conn.setStringOption(3,RoleName)"};
  const Calls calls = fake::Calls();
  ASSERT_GE(calls.size(), beforeOptions.size());
  EXPECT_EQ(Calls(calls.begin(), calls.begin() + 5), beforeOptions);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.front(), "conn.setStringOption(3,RoleName)");
  EXPECT_NE(std::find(lines.begin(), lines.end(), "conn.connect(localhost:/opt/firebird/data/EMPTY/POSDATA.GDB,SYSDBA,tessaric)"),
            lines.end());
}

struct RefusalCase {
  const char* behaviour;
  const char* refusedCall;
  bool identitySet;
};
void PrintTo(const RefusalCase& c, std::ostream* out) { *out << c.behaviour; }

class HookRefusal : public MonitorContract, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(HookRefusal, DuringAfterConnectLeavesTheMonitorOffAndTheConnectionOpen) {
  fake::Fail({.call = GetParam().refusedCall, .status = 65, .message = "no hook"});
  fake::TraceEveryCall(true);
  EXPECT_EQ(support::RaisedBy([&] { connection->Open(); }), (support::Raised{"EDatabaseError", kStatus65 + "no hook"}))
      << GetParam().behaviour;
  EXPECT_FALSE(monitor->Active());
  EXPECT_TRUE(connection->Connected());
  EXPECT_EQ(connection->LastErrorText(), kStatus65 + "no hook");
  EXPECT_EQ(fake::Called("conn.setOption(12,"), GetParam().identitySet) << GetParam().behaviour;
  SomeDriverCall();
  EXPECT_TRUE(lines.empty()) << GetParam().behaviour;
}

TEST_P(HookRefusal, IsNotInstalledAgainAtTheNextOpening) {
  fake::Fail({.call = GetParam().refusedCall, .status = 65, .message = "no hook", .times = 1});
  EXPECT_EQ(support::RaisedBy([&] { connection->Open(); }).kind, "EDatabaseError");
  connection->AfterConnect = nullptr;
  connection->Close();
  fake::ClearCalls();
  connection->Open();
  EXPECT_FALSE(fake::Called("conn.setOption(9,callback)")) << GetParam().behaviour;
}

INSTANTIATE_TEST_SUITE_P(Options, HookRefusal,
                         ::testing::Values(RefusalCase{"option 9 refused", "conn.setOption(9,", false},
                                           RefusalCase{"option 12 refused", "conn.setOption(12,", true}));

TEST_F(MonitorContract, SwitchingOnTwiceChangesNothing) {
  connection->Open();
  fake::ClearCalls();
  monitor->SetActive(true);
  connection->AfterConnect(connection.get());
  EXPECT_TRUE(fake::Calls().empty());
  EXPECT_TRUE(monitor->Active());
}

TEST_F(MonitorContract, SwitchingOffRemovesTheHookAndARefusalKeepsItOn) {
  connection->Open();
  fake::Fail({.call = "conn.setOption(12,0)", .status = 65, .message = "kept", .times = 1});
  fake::ClearCalls();
  EXPECT_EQ(support::RaisedBy([&] { monitor->SetActive(false); }).text, kStatus65 + "kept");
  EXPECT_TRUE(monitor->Active());
  monitor->SetActive(false);
  EXPECT_FALSE(monitor->Active());
  EXPECT_EQ(fake::CallsStartingWith({"conn.setOption("}), (Calls{"conn.setOption(9,0)", "conn.setOption(12,0)", "conn.setOption(9,0)",
                                  "conn.setOption(12,0)"}));
  EXPECT_EQ(fake::InstalledCallback(), nullptr);
}

enum class Stray { NoRecord, OwnerZero, UnknownOwner };

class IgnoredEvent : public MonitorContract, public ::testing::WithParamInterface<Stray> {};

TEST_P(IgnoredEvent, AddsNothingAndIsAnsweredWithZero) {
  connection->Open();
  fake::TraceEvent event{.text = "stray"};
  if (GetParam() == Stray::NoRecord) event.nullRecord = true;
  if (GetParam() == Stray::OwnerZero) event.owner = 0;
  if (GetParam() == Stray::UnknownOwner) event.owner = monitor->Identity() + 1000;
  EXPECT_EQ(fake::RaiseTraceNow(event), 0);
  EXPECT_TRUE(lines.empty());
  EXPECT_EQ(fake::TraceTextsRaised(), (Calls{"stray"}));  // it did reach the callback
}

INSTANTIATE_TEST_SUITE_P(Events, IgnoredEvent,
                         ::testing::Values(Stray::NoRecord, Stray::OwnerZero, Stray::UnknownOwner));

TEST_F(MonitorContract, EveryCategoryIsHandedOnWithTheRecord) {
  connection->Open();
  for (const std::int32_t category : {dbv::trace::Prepare, dbv::trace::Error, 0, -1, 4096}) {
    EXPECT_EQ(fake::RaiseTraceNow({.category = category, .text = "event " + std::to_string(category)}), 0);
  }
  EXPECT_EQ(lines, (Calls{"event 1", "event 4", "event 0", "event -1", "event 4096"}));
}

TEST_F(MonitorContract, AFailureOfTheHandlerDoesNotTravelIntoTheDriver) {
  connection->Open();
  monitor->OnLogTrace = [](TSQLMonitor*, dbv::pSQLTRACEDesc) { throw EDatabaseError("log view full"); };
  EXPECT_EQ(fake::RaiseTraceNow({.text = "x"}), 0);
}

TEST_F(MonitorContract, AMonitorBeingDestroyedIgnoresEvents) {
  connection->Open();
  monitor->MarkDestroying();
  EXPECT_EQ(fake::RaiseTraceNow({.text = "late"}), 0);
  EXPECT_EQ(monitor->HandleTraceEvent(dbv::trace::Misc, nullptr), 0);
  EXPECT_TRUE(lines.empty());
}

TEST_F(MonitorContract, ShutdownAddsNoLineAndRemovesTheHookFromTheOpenConnection) {
  fake::TraceEveryCall(true);
  connection->Open();
  SomeDriverCall();
  ASSERT_EQ(lines.size(), 1u);
  monitor->MarkDestroying();
  connection->MarkDestroying();
  fake::ClearCalls();
  monitor.reset();
  EXPECT_EQ(fake::Calls(), (Calls{"conn.setOption(9,0)", "conn.setOption(12,0)"}));
  EXPECT_TRUE(connection->Connected());
  connection.reset();  // closes without a monitor in its list
  EXPECT_EQ(lines.size(), 1u);
  EXPECT_EQ(fake::Live().connections, 0);
}

TEST_F(MonitorContract, AFreedMonitorIsNoLongerFoundEvenIfTheHookStays) {
  connection->Open();
  const std::uint32_t identity = monitor->Identity();
  fake::Fail({.call = "conn.setOption(9,0)", .status = 65});
  monitor.reset();  // the refused removal cannot be reported from a destructor
  EXPECT_EQ(TSQLMonitor::FindByIdentity(identity), nullptr);
  EXPECT_EQ(fake::InstalledOwner(), identity);
  EXPECT_EQ(fake::RaiseTraceNow({.text = "after"}), 0);
  EXPECT_TRUE(lines.empty());
}

TEST(MonitorIdentity, IsAboveZeroDistinctAndNeverHandedOutTwice) {
  auto first = std::make_unique<TSQLMonitor>("A");
  TSQLMonitor second("B");
  const std::uint32_t firstIdentity = first->Identity();
  EXPECT_GT(firstIdentity, 0u);
  EXPECT_NE(firstIdentity, second.Identity());
  EXPECT_EQ(TSQLMonitor::FindByIdentity(firstIdentity), first.get());
  EXPECT_EQ(TSQLMonitor::FindByIdentity(second.Identity()), &second);
  EXPECT_EQ(TSQLMonitor::FindByIdentity(0), nullptr);
  first.reset();
  TSQLMonitor third("C");
  EXPECT_NE(third.Identity(), firstIdentity);
  EXPECT_EQ(TSQLMonitor::FindByIdentity(firstIdentity), nullptr);
}

TEST(MonitorCallback, WithoutARecordAnswersZero) { EXPECT_EQ(TraceHookProc(dbv::trace::Misc, nullptr), 0); }

TEST(MonitorWithoutConnection, SwitchesOnAndOffWithoutDriverCalls) {
  support::FakeDriverSetup setup;
  TSQLMonitor monitor("SQLMonitor1");
  monitor.SetActive(true);
  EXPECT_TRUE(monitor.Active());
  monitor.SetActive(false);
  EXPECT_FALSE(monitor.Active());
  EXPECT_TRUE(fake::Calls().empty());
}

TEST(MonitorAttachment, MovingToAnotherConnectionSwitchesItOffOnTheOldOne) {
  support::FakeDriverSetup setup;
  auto first = setup.MakeConnection();
  auto second = setup.MakeConnection();
  TSQLMonitor monitor("SQLMonitor1");
  monitor.SetSQLConnection(first.get());
  first->Open();
  monitor.SetActive(true);
  fake::ClearCalls();
  monitor.SetSQLConnection(second.get());
  EXPECT_FALSE(monitor.Active());
  EXPECT_EQ(monitor.SQLConnection(), second.get());
  EXPECT_EQ(fake::Calls(), (Calls{"conn.setOption(9,0)", "conn.setOption(12,0)"}));
  first.reset();  // no longer lists the monitor
  EXPECT_EQ(monitor.SQLConnection(), second.get());
}

}  // namespace
