// The exact driver calls of the statement object: what a catalogue probe
// costs, what Close, the line operations and Execute call, and what is
// prepared once and run again.
#include <gtest/gtest.h>

#include <algorithm>

#include "QueryFixture.h"

namespace {

using support::Calls;
using support::kTableProbe;
using support::kTableProbeLogged;
using support::QueryFixture;

// How many of the calls start with prefix.
int Count(const Calls& calls, const std::string& prefix) {
  int count = 0;
  for (const std::string& call : calls) count += call.rfind(prefix, 0) == 0 ? 1 : 0;
  return count;
}

const Calls kProbeOpen = {"conn.getSQLCommand()",
                          "cmd.setOption(0,20)",
                          "cmd.prepare(" + kTableProbeLogged + ",0)",
                          "cmd.execute()",
                          "cursor.getColumnCount()",
                          "cursor.getColumnName(1)",
                          "cursor.getColumnType(1)",
                          "cursor.getColumnLength(1)",
                          "cursor.getColumnName(2)",
                          "cursor.getColumnType(2)",
                          "cursor.getColumnLength(2)",
                          "cursor.getColumnName(3)",
                          "cursor.getColumnType(3)",
                          "cursor.getColumnLength(3)",
                          "cursor.next()",
                          "cursor.getColumnType(3)",
                          "cursor.getString(3)"};

TEST(QueryCalls, ACatalogueProbeCostsOnePrepareOneExecuteOneFetchAndOneFieldRead) {
  QueryFixture f;
  fake::ScriptStatement(support::TableProbeResult(true));
  f.Connect();
  f.SetLines(kTableProbe);
  f.query.Open();
  EXPECT_FALSE(f.query.FieldByName("RDB$RELATION_NAME").IsNull());
  EXPECT_EQ(fake::Calls(), kProbeOpen);

  // The next probe first gives back the cursor and the command of this one.
  fake::ClearCalls();
  f.SetLines(kTableProbe);
  f.query.Open();
  EXPECT_FALSE(f.query.FieldByName("RDB$RELATION_NAME").IsNull());
  Calls expected = {"cursor.release()", "cmd.getRowsAffected()", "cmd.release()"};
  expected.insert(expected.end(), kProbeOpen.begin(), kProbeOpen.end());
  const Calls calls = fake::Calls();
  EXPECT_EQ(calls, expected);
  EXPECT_EQ(Count(calls, "cmd.prepare("), 1);
  EXPECT_EQ(Count(calls, "cmd.execute("), 1);
  EXPECT_EQ(Count(calls, "cursor.next("), 1);
  EXPECT_EQ(Count(calls, "meta."), 0) << "no metadata or index request of its own";
  EXPECT_EQ(Count(calls, "cursor.getBlob"), 0) << "the blob column is never transferred";
}

TEST(QueryCalls, TheFirstStatementOpensTheConnection) {
  QueryFixture f;
  fake::ScriptStatement(support::TableProbeResult(false));
  f.SetLines(kTableProbe);
  f.query.Open();
  EXPECT_TRUE(f.Connection().Connected());
  const Calls calls = fake::Calls();
  ASSERT_TRUE(fake::Called("conn.connect("));
  EXPECT_LT(std::find(calls.begin(), calls.end(), "conn.getSQLMetaData()"),
            std::find(calls.begin(), calls.end(), "conn.getSQLCommand()"));
}

TEST(QueryCalls, ClearLinesOfAnEmptyListCallsNothing) {
  QueryFixture f;
  fake::ScriptStatement({.sqlContains = "UPDATE", .rowsAffected = 0});
  f.Connect();
  f.SetLines({"UPDATE T SET A = 1"});
  f.query.ExecSQL();
  f.query.ClearLines();  // a change: unprepares
  fake::ClearCalls();
  f.query.ClearLines();
  f.query.Close();
  EXPECT_TRUE(fake::Calls().empty());
  EXPECT_EQ(f.query.StatementText(), "");
}

TEST(QueryCalls, AddLineClosesAnOpenObjectAndUnprepares) {
  QueryFixture f;
  fake::ScriptStatement(support::TableProbeResult(true));
  f.Connect();
  f.SetLines(kTableProbe);
  f.query.Open();
  fake::ClearCalls();
  f.query.AddLine("AND 1 = 1");
  EXPECT_FALSE(f.query.Active());
  EXPECT_FALSE(f.query.Prepared());
  EXPECT_TRUE(f.query.Fields().empty());
  EXPECT_EQ(fake::Calls(), (Calls{"cursor.release()", "cmd.getRowsAffected()", "cmd.release()"}));
  EXPECT_EQ(fake::Live().cursors + fake::Live().commands, 0);
}

TEST(QueryCalls, CloseReleasesOnlyTheCursorAndOnAClosedObjectCallsNothing) {
  QueryFixture f;
  fake::ScriptStatement(support::TableProbeResult(true));
  f.Connect();
  f.query.Close();
  EXPECT_TRUE(fake::Calls().empty());

  f.SetLines(kTableProbe);
  f.query.Open();
  fake::ClearCalls();
  f.query.Close();
  EXPECT_EQ(fake::Calls(), (Calls{"cursor.release()"}));
  EXPECT_FALSE(f.query.Active());
  EXPECT_TRUE(f.query.Prepared()) << "the command stays prepared";
  EXPECT_TRUE(f.query.Fields().empty());
  EXPECT_TRUE(f.Connection().Connected());

  fake::ClearCalls();
  f.query.Close();
  EXPECT_TRUE(fake::Calls().empty());
}

TEST(QueryCalls, AnUnchangedTextRunsAgainOnItsPreparedCommand) {
  QueryFixture f;
  fake::ScriptStatement(support::TableProbeResult(true));
  fake::ScriptStatement({.sqlContains = "UPDATE", .rowsAffected = 0});
  f.Connect();
  f.SetLines({"UPDATE T SET A = 1"});
  for (int run = 0; run < 3; ++run) f.query.ExecSQL();
  f.SetLines(kTableProbe);
  for (int run = 0; run < 2; ++run) {
    f.query.Close();
    f.query.Open();
  }
  const Calls calls = fake::Calls();
  EXPECT_EQ(fake::PreparedTexts(), (Calls{"UPDATE T SET A = 1\r\n", kTableProbe[0] + "\r\n" + kTableProbe[1] + "\r\n"}));
  EXPECT_EQ(Count(calls, "conn.getSQLCommand("), 2);
  EXPECT_EQ(Count(calls, "cmd.execute("), 5);
  EXPECT_EQ(Count(calls, "cmd.close("), 3) << "each Execute without a cursor closes its command";
}

TEST(QueryCalls, ExecuteRunsPreparesAndKeepsTheCommand) {
  QueryFixture f;
  fake::ScriptStatement({.sqlContains = "ALTER", .rowsAffected = 0});
  f.Connect();
  f.SetLines({"ALTER TABLE T ADD C VARCHAR(10)"});
  EXPECT_EQ(f.query.ExecSQL(false), 0);
  EXPECT_EQ(fake::Calls(), (Calls{"conn.getSQLCommand()", "cmd.setOption(0,20)",
                                  "cmd.prepare(ALTER TABLE T ADD C VARCHAR(10)\\r\\n,0)", "cmd.execute()",
                                  "cmd.getRowsAffected()", "cmd.close()"}));
  EXPECT_TRUE(f.query.Prepared());
  EXPECT_FALSE(f.query.Active());
}

TEST(QueryCalls, ACursorReturnedToExecuteIsReleasedWithItsCommand) {
  QueryFixture f;
  fake::Statement select = support::TableProbeResult(true);
  select.rowsAffected = 3;
  fake::ScriptStatement(select);
  f.Connect();
  f.SetLines(kTableProbe);
  EXPECT_EQ(f.query.ExecSQL(), 3);
  EXPECT_EQ(f.query.RowsAffected(), 3);
  EXPECT_EQ(fake::CallsStartingWith({"cmd.execute", "cmd.getRowsAffected", "cursor.", "cmd.close", "cmd.release"}),
            (Calls{"cmd.execute()", "cmd.getRowsAffected()", "cursor.release()", "cmd.release()"}));
  EXPECT_FALSE(f.query.Prepared());
  EXPECT_FALSE(f.query.Active());
  EXPECT_EQ(fake::Live().cursors + fake::Live().commands, 0);

  fake::ClearCalls();
  f.query.ExecSQL();
  EXPECT_EQ(Count(fake::Calls(), "cmd.prepare("), 1) << "the released command is prepared anew";
}

TEST(QueryCalls, TextChangeAsksForRowsAffectedOnlyWhenNoneIsStored) {
  const struct {
    std::int32_t rows;
    Calls unprepare;
  } cases[] = {{0, {"cmd.getRowsAffected()", "cmd.release()"}}, {5, {"cmd.release()"}}};
  for (const auto& c : cases) {
    QueryFixture f;
    fake::ScriptStatement({.sqlContains = "UPDATE", .rowsAffected = c.rows});
    f.Connect();
    f.SetLines({"UPDATE T SET A = 1"});
    f.query.ExecSQL();
    fake::ClearCalls();
    f.query.ClearLines();
    EXPECT_EQ(fake::Calls(), c.unprepare) << c.rows << " rows stored";
    EXPECT_EQ(f.query.RowsAffected(), c.rows);
  }
}

TEST(QueryCalls, RowsetSizeComesFromTheConnectionParameters) {
  const struct {
    const char* line;
    const char* option;
  } cases[] = {{"RowsetSize= 50 ", "cmd.setOption(0,50)"}, {"RowsetSize=", "cmd.setOption(0,20)"},
               {"RowsetSize=many", "cmd.setOption(0,20)"}, {"RowsetSize=5x", "cmd.setOption(0,20)"},
               {"LocaleCode=0000", "cmd.setOption(0,20)"}};
  for (const auto& c : cases) {
    std::vector<std::string> lines = support::BuiltInConnectionLines();
    lines.push_back(c.line);
    QueryFixture f(lines);
    f.SetLines({"UPDATE T SET A = 1"});
    f.query.ExecSQL();
    EXPECT_EQ(fake::CallsStartingWith({"cmd.setOption("}), Calls{c.option}) << c.line;
  }
}

TEST(QueryCalls, TheParameterCountOfTheMarkersIsHandedToPrepare) {
  QueryFixture f;
  f.Connect();
  f.SetLines({"UPDATE T SET A = :a, B = :b"});
  f.query.ExecSQL();
  EXPECT_EQ(fake::CallsStartingWith({"cmd.prepare("}), Calls{"cmd.prepare(UPDATE T SET A = :a, B = :b\\r\\n,2)"});
}

TEST(QueryCalls, DirectExecutionRunsTheTextAtOnceAndReleasesTheCommand) {
  QueryFixture f;
  fake::ScriptStatement({.sqlContains = "DELETE", .rowsAffected = 4});
  f.Connect();
  f.SetLines({"DELETE FROM T"});
  EXPECT_EQ(f.query.ExecSQL(true), 4);
  EXPECT_EQ(fake::Calls(), (Calls{"conn.getSQLCommand()", "cmd.setOption(0,20)", "cmd.executeImmediate(DELETE FROM T\\r\\n)",
                                  "cmd.getRowsAffected()", "cmd.release()"}));
  EXPECT_FALSE(f.query.Prepared());
}

TEST(QueryCalls, ClosingTheConnectionClosesAndUnpreparesTheObjectFirst) {
  QueryFixture f;
  fake::ScriptStatement(support::TableProbeResult(true));
  f.SetLines(kTableProbe);
  f.query.Open();
  fake::ClearCalls();
  f.Connection().Close();
  EXPECT_FALSE(f.query.Active());
  EXPECT_FALSE(f.query.Prepared());
  const Calls calls = fake::Calls();
  ASSERT_GE(calls.size(), 3u);
  EXPECT_EQ(Calls(calls.begin(), calls.begin() + 3), (Calls{"cursor.release()", "cmd.getRowsAffected()", "cmd.release()"}));
  EXPECT_EQ(fake::Live().commands + fake::Live().cursors, 0);

  f.query.Open();  // reopens the connection on demand
  EXPECT_TRUE(f.query.Active());
}

TEST(QueryCalls, FreeingTheObjectReleasesEverythingAndDetaches) {
  support::FakeDriverSetup setup;
  auto connection = setup.MakeConnection();
  fake::ScriptStatement(support::TableProbeResult(true));
  {
    TSQLQuery query("SQLQuery1");
    query.SetSQLConnection(connection.get());
    query.AddLine(kTableProbe[0]);
    query.Open();
    fake::ClearCalls();
  }
  EXPECT_EQ(fake::Calls(), (Calls{"cursor.release()", "cmd.getRowsAffected()", "cmd.release()"}));
  fake::ClearCalls();
  connection->Close();
  EXPECT_FALSE(fake::Called("cmd.")) << "the freed object is no client any more";
}

TEST(QueryCalls, AConnectionFreedFirstLeavesTheObjectDetached) {
  support::FakeDriverSetup setup;
  fake::ScriptStatement(support::TableProbeResult(true));
  TSQLQuery query("SQLQuery1");
  {
    auto connection = setup.MakeConnection();
    query.SetSQLConnection(connection.get());
    query.AddLine(kTableProbe[0]);
    query.Open();
  }
  EXPECT_EQ(query.SQLConnection(), nullptr);
  EXPECT_FALSE(query.Active());
  EXPECT_FALSE(query.Prepared());
  EXPECT_EQ(fake::Live().commands + fake::Live().cursors, 0);
}

TEST(QueryCalls, BlobSizeOfTheConnectionAppliesOnlyToAnUnsetSize) {
  const struct {
    std::int32_t before;
    const char* line;
    std::int32_t after;
  } cases[] = {{-1, "BlobSize=8", -1}, {0, "BlobSize= 8 ", 8}, {0, "BlobSize=big", -1}, {0, "BlobSize=", -1}, {3, "BlobSize=8", 3}};
  for (const auto& c : cases) {
    support::FakeDriverSetup setup;
    auto connection = setup.MakeConnection();
    connection->Params = ParamList{c.line};
    TSQLQuery query("SQLQuery1");
    query.MaxBlobSize = c.before;
    query.SetSQLConnection(connection.get());
    EXPECT_EQ(query.MaxBlobSize, c.after) << c.before << " with " << c.line;
  }
}

}  // namespace
