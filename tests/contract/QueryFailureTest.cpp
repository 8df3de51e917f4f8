// Every failure of the statement object: its exact message, with the
// component's name in front only where the object found the fault itself, and
// the state it leaves, from which the next Close, Clear lines and Add line
// always succeed.
#include <gtest/gtest.h>

#include <functional>

#include "QueryFixture.h"
#include "Raised.h"

namespace {

using support::Calls;
using support::kTableProbe;
using support::QueryFixture;
using support::Raised;

const std::string kSqlError = "Dbvance Error: [0x0065]: SQL Error\r\nSQL Server Error: ";
const std::vector<std::string> kUpdate = {"UPDATE T SET A = 1"};

void Ignore(const std::function<void()>& operation) { support::RaisedBy(operation); }

struct FailureCase {
  const char* where;
  std::vector<std::string> lines;
  std::function<void(QueryFixture&)> arrange;
  std::function<void(TSQLQuery&)> act;
  Raised raised;
  bool active;
  bool prepared;
  const char* lastCall;  // the driver call the failure path ends with; "" for none at all
};

void Open(TSQLQuery& q) { q.Open(); }
void Execute(TSQLQuery& q) { q.ExecSQL(false); }
void Probe(QueryFixture&) { fake::ScriptStatement(support::TableProbeResult(true)); }
void ProbeOpen(QueryFixture& f) {
  Probe(f);
  f.query.Open();
}
auto Failing(fake::Failure rule) {
  return [rule](QueryFixture&) { fake::Fail(rule); };
}

TEST(QueryFailure, MessageAndStateForEachFailure) {
  const FailureCase cases[] = {
      {"Execute with no lines", {}, [](QueryFixture& f) { f.Connect(); }, Execute,
       {"EDatabaseError", "Unable to execute Query"}, false, false, ""},
      {"preparation refused, from Open", kTableProbe,
       Failing({.call = "cmd.prepare(", .status = 65, .message = "Token unknown - line 1, column 8"}), Open,
       {"EDatabaseError", kSqlError + "Token unknown - line 1, column 8"}, false, false, "cmd.release()"},
      {"preparation refused, from Execute", {"SELEC 1 FROM RDB$DATABASE"},
       Failing({.call = "cmd.prepare(", .status = 65, .message = "Token unknown - line 1, column 8"}), Execute,
       {"EDatabaseError", kSqlError + "Token unknown - line 1, column 8"}, false, false, "cmd.release()"},
      {"a status beyond the table has no status text", kUpdate,
       Failing({.call = "cmd.prepare(", .status = 300, .message = "odd"}), Execute,
       {"EDatabaseError", "SQL Server Error: odd"}, false, false, "cmd.release()"},
      {"a listed status without a message", kUpdate, Failing({.call = "cmd.prepare(", .status = 12}), Execute,
       {"EDatabaseError", "Dbvance Error: [0x000C] Invalid Username/Password"}, false, false, "cmd.release()"},
      {"an unlisted status without a message", kUpdate, Failing({.call = "cmd.prepare(", .status = 30}), Execute,
       {"EDatabaseError", "Dbvance Error: Unknown Error Code '30'"}, false, false, "cmd.release()"},
      {"the connection gives no command", kUpdate,
       Failing({.call = "conn.getSQLCommand(", .status = 2, .message = "out of handles"}), Execute,
       {"EDatabaseError", "Dbvance Error: [0x0002]: Insufficient Memory for Operation\r\nSQL Server Error: out of handles"},
       false, false, "conn.getErrorMessage()"},
      {"execution refused in Open", kTableProbe,
       [](QueryFixture& f) {
         Probe(f);
         fake::Fail({.call = "cmd.execute(", .status = 65, .message = "lock conflict"});
       },
       Open, {"EDatabaseError", kSqlError + "lock conflict"}, false, true, "cmd.getErrorMessage()"},
      {"execution refused in Execute", kUpdate, Failing({.call = "cmd.execute(", .status = 65, .message = "lock conflict"}),
       Execute, {"EDatabaseError", kSqlError + "lock conflict"}, false, true, "cmd.close()"},
      {"Open of a statement without a result set", {"CREATE TABLE T (A INTEGER)"}, [](QueryFixture&) {}, Open,
       {"EDatabaseError", "SQLQuery1: Cursor not returned from Query"}, false, true, "cmd.close()"},
      {"first fetch refused", kTableProbe,
       [](QueryFixture& f) {
         Probe(f);
         fake::Fail({.call = "cursor.next(", .status = 65, .message = "fetch broke"});
       },
       Open, {"EDatabaseError", kSqlError + "fetch broke"}, false, true, "cursor.release()"},
      {"rows affected refused", kUpdate, Failing({.call = "cmd.getRowsAffected(", .status = 65, .message = "no count"}),
       Execute, {"EDatabaseError", kSqlError + "no count"}, false, true, "cmd.close()"},
      {"rows affected refused after a cursor came back", kTableProbe,
       [](QueryFixture& f) {
         Probe(f);
         fake::Fail({.call = "cmd.getRowsAffected(", .status = 65, .message = "no count"});
       },
       Execute, {"EDatabaseError", kSqlError + "no count"}, false, false, "cmd.release()"},
      {"a value read refused", kTableProbe,
       [](QueryFixture& f) {
         ProbeOpen(f);
         fake::Fail({.call = "cursor.getString(", .status = 7, .message = "bad bytes"});
       },
       [](TSQLQuery& q) { q.FieldByName("RDB$RELATION_NAME").AsString(); },
       {"EDatabaseError", "Dbvance Error: [0x0007]: Invalid Data Translation\r\nSQL Server Error: bad bytes"}, true, true,
       "cursor.getErrorMessage()"},
      {"a field the result does not have", kTableProbe, ProbeOpen, [](TSQLQuery& q) { q.FieldByName("NOPE"); },
       {"EDatabaseError", "SQLQuery1: Field 'NOPE' not found"}, true, true, ""},
      {"a field asked for after Close", kTableProbe,
       [](QueryFixture& f) {
         ProbeOpen(f);
         f.query.Close();
       },
       [](TSQLQuery& q) { q.FieldByName("RDB$RELATION_NAME"); },
       {"EDatabaseError", "SQLQuery1: Field 'RDB$RELATION_NAME' not found"}, false, true, ""},
      {"Execute while open runs nothing", kTableProbe, ProbeOpen, Execute,
       {"EDatabaseError", "SQLQuery1: Cannot perform this operation on an open dataset"}, true, true, ""},
      {"no message falls back to the object's last error text", kUpdate,
       [](QueryFixture& f) {
         fake::Fail({.call = "cmd.execute(", .status = 65, .message = "first", .times = 1});
         Ignore([&] { f.query.ExecSQL(); });
         fake::Fail({.call = "cmd.getErrorMessageLen(", .status = 5});
         fake::Fail({.call = "cmd.execute(", .status = 30});
       },
       Execute, {"EDatabaseError", kSqlError + "first"}, false, true, "cmd.close()"},
      // The recorded text outlives the command; only a new command clears it.
      {"Execute with no lines after a recorded failure", {},
       [](QueryFixture& f) {
         f.SetLines(kUpdate);
         fake::Fail({.call = "cmd.execute(", .status = 65, .message = "first", .times = 1});
         Ignore([&] { f.query.ExecSQL(); });
         f.query.ClearLines();
       },
       Execute, {"EDatabaseError", kSqlError + "first"}, false, false, ""},
  };
  for (const FailureCase& c : cases) {
    QueryFixture f;
    f.SetLines(c.lines);
    c.arrange(f);
    fake::ClearCalls();
    EXPECT_EQ(support::RaisedBy([&] { c.act(f.query); }), c.raised) << c.where;
    EXPECT_EQ(f.query.Active(), c.active) << c.where;
    EXPECT_EQ(f.query.Prepared(), c.prepared) << c.where;
    EXPECT_EQ(fake::Live().cursors, c.active ? 1 : 0) << c.where;
    EXPECT_EQ(fake::Live().commands, c.prepared ? 1 : 0) << c.where;
    const Calls calls = fake::Calls();
    if (*c.lastCall == '\0') {
      EXPECT_TRUE(calls.empty()) << c.where;
    } else {
      ASSERT_FALSE(calls.empty()) << c.where;
      EXPECT_EQ(calls.back().rfind(c.lastCall, 0), 0u) << c.where << ": ends with " << calls.back();
    }
    EXPECT_EQ(f.query.Lines(), c.lines) << c.where << ": the text survives the failure";
    const bool composedFromTheDriver =
        c.raised.text.rfind("Dbvance Error", 0) == 0 || c.raised.text.rfind("SQL Server Error", 0) == 0;
    if (composedFromTheDriver) {
      EXPECT_EQ(f.query.LastErrorText(), c.raised.text) << c.where;
    }
    EXPECT_EQ(support::RaisedBy([&] {
                f.query.Close();
                f.query.ClearLines();
                f.query.AddLine("SELECT 1 FROM RDB$DATABASE");
              }).kind,
              "nothing")
        << c.where << ": the next step starts cleanly";
    EXPECT_FALSE(f.query.Active()) << c.where;
    EXPECT_FALSE(f.query.Prepared()) << c.where;
  }
}

TEST(QueryFailure, OpenWithNoLinesFailsBeforeTheConnectionIsTouched) {
  QueryFixture f;
  EXPECT_EQ(support::RaisedBy([&] { f.query.Open(); }),
            (Raised{"EDatabaseError", "Missing query, table name or procedure name"}));
  EXPECT_TRUE(fake::Calls().empty());
  EXPECT_FALSE(f.Connection().Connected());
}

TEST(QueryFailure, ExecuteWithNoLinesOpensTheConnectionThenFails) {
  QueryFixture f;
  EXPECT_EQ(support::RaisedBy([&] { f.query.ExecSQL(); }), (Raised{"EDatabaseError", "Unable to execute Query"}));
  EXPECT_TRUE(f.Connection().Connected());
  EXPECT_FALSE(fake::Called("conn.getSQLCommand("));
}

TEST(QueryFailure, AConnectionFailureReachesTheCallerUnchanged) {
  std::vector<std::string> lines = support::BuiltInConnectionLines();
  lines.erase(lines.begin() + 1);  // no Database
  const std::function<void(TSQLQuery&)> operations[] = {Open, Execute};
  for (const auto& operation : operations) {
    QueryFixture f(lines);
    f.SetLines(kUpdate);
    EXPECT_EQ(support::RaisedBy([&] { operation(f.query); }), (Raised{"EDatabaseError", "Missing Database property"}));
    EXPECT_FALSE(f.query.Active());
    EXPECT_FALSE(f.query.Prepared());
    EXPECT_EQ(f.query.LastErrorText(), "") << "the connection's failure is not the object's";
    EXPECT_FALSE(fake::Called("conn.getSQLCommand("));
  }
}

TEST(QueryFailure, ANewCommandClearsTheLastErrorText) {
  QueryFixture f;
  fake::Fail({.call = "cmd.prepare(", .status = 65, .message = "refused", .times = 1});
  f.SetLines(kUpdate);
  Ignore([&] { f.query.ExecSQL(); });
  EXPECT_EQ(f.query.LastErrorText(), kSqlError + "refused");
  f.SetLines(kUpdate);
  f.query.ExecSQL();
  EXPECT_EQ(f.query.LastErrorText(), "");
}

TEST(QueryFailure, AFailedUnprepareIsDiscarded) {
  QueryFixture f;
  f.SetLines(kUpdate);
  f.query.ExecSQL();
  fake::Fail({.call = "cmd.getRowsAffected(", .status = 65, .message = "gone"});
  fake::Fail({.call = "cmd.release(", .status = 65});
  EXPECT_EQ(support::RaisedBy([&] { f.query.ClearLines(); }).kind, "nothing");
  EXPECT_FALSE(f.query.Prepared());
  EXPECT_EQ(f.query.LastErrorText(), "");
}

TEST(QueryFailure, EndOfResultStatusesAreNoFailure) {
  for (const std::uint16_t end : {dbv::status::EndOfResult, dbv::status::NoMoreData}) {
    QueryFixture f;
    fake::Statement probe = support::TableProbeResult(false);
    probe.endStatus = end;
    fake::ScriptStatement(probe);
    f.SetLines(kTableProbe);
    EXPECT_EQ(support::RaisedBy([&] { f.query.Open(); }).kind, "nothing") << end;
    EXPECT_TRUE(f.query.Active()) << end;
    fake::ClearCalls();
    TField& name = f.query.FieldByName("rdb$relation_name");
    EXPECT_TRUE(name.IsNull()) << end;
    EXPECT_EQ(name.AsString(), "") << end;
    EXPECT_TRUE(fake::Calls().empty()) << end << ": without a current row nothing is read";
  }
}

TEST(QueryFailure, AnyOtherFetchStatusIsAFailure) {
  QueryFixture f;
  fake::Statement probe = support::TableProbeResult(false);
  probe.endStatus = 64;
  fake::ScriptStatement(probe);
  f.SetLines(kTableProbe);
  EXPECT_EQ(support::RaisedBy([&] { f.query.Open(); }),
            (Raised{"EDatabaseError", "Dbvance Error: [0x0064]: No more data"}));
  EXPECT_FALSE(f.query.Active());
}

}  // namespace
