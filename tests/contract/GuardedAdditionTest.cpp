// The guarded column additions against the scripted driver: which failures
// they absorb and which one they let through (a lost connection), and that
// telling the two apart costs no driver call of its own.
#include <gtest/gtest.h>

#include "CatalogueProbes.h"
#include "QueryFixture.h"
#include "Raised.h"

namespace {

using support::Calls;
using support::QueryFixture;

const std::string kSqlError = "Dbvance Error: [0x0065]: SQL Error\r\nSQL Server Error: ";
constexpr dbv::SQLResult kLost = dbv::status::SqlError | dbv::kConnectionLost;

// The column probe of PUB_PARAM.INCHKUD finds no row, so the ALTER follows.
void ScriptMissingColumn() {
  fake::ScriptStatement({.sqlContains = "RDB$RELATION_FIELDS",
                         .returnsCursor = true,
                         .columns = {{.name = "RDB$FIELD_NAME", .type = dbv::FieldType::String, .length = 31}}});
}

const Calls kProbeCalls = {
    "conn.getSQLCommand()", "cmd.setOption(0,20)",
    "cmd.prepare(SELECT * FROM RDB$RELATION_FIELDS \\r\\nWHERE RDB$RELATION_NAME = 'PUB_PARAM'\\r\\n"
    "AND RDB$FIELD_NAME = 'INCHKUD'\\r\\n,0)",
    "cmd.execute()", "cursor.getColumnCount()", "cursor.getColumnName(1)", "cursor.getColumnType(1)",
    "cursor.getColumnLength(1)", "cursor.next()"};

Calls Then(Calls calls, const Calls& more) {
  calls.insert(calls.end(), more.begin(), more.end());
  return calls;
}

struct GuardCase {
  const char* what;
  fake::Failure failure;
  bool absorbed;
  Calls calls;  // every driver call of the addition, up to and including the failure's message
};

TEST(GuardedAddition, OnlyALostConnectionLeavesTheGuardAndNeitherCostsAnExtraCall) {
  const Calls alterFails = Then(kProbeCalls, {"cursor.release()", "cmd.getRowsAffected()", "cmd.release()",
                                              "conn.getSQLCommand()",
                                              "cmd.setOption(0,20)",
                                              "cmd.prepare(ALTER TABLE PUB_PARAM ADD INCHKUD VARCHAR(1)\\r\\n,0)",
                                              "cmd.execute()", "cmd.getErrorMessageLen()", "cmd.getErrorMessage()",
                                              "cmd.close()"});
  const Calls probePrepareFails = {"conn.getSQLCommand()", "cmd.setOption(0,20)", kProbeCalls[2],
                                   "cmd.getErrorMessageLen()", "cmd.getErrorMessage()", "cmd.release()"};
  const Calls fetchFails = Then(kProbeCalls, {"cursor.getErrorMessageLen()", "cursor.getErrorMessage()",
                                              "cursor.release()"});
  const GuardCase cases[] = {
      {"ALTER refused by the server", {.call = "cmd.execute(", .message = "Table unknown", .skip = 1}, true,
       alterFails},
      {"ALTER on a lost connection", {.call = "cmd.execute(", .status = kLost, .message = "connection shutdown",
                                      .skip = 1}, false, alterFails},
      {"probe refused at preparation", {.call = "cmd.prepare(", .message = "Token unknown"}, true,
       probePrepareFails},
      {"probe prepared on a lost connection", {.call = "cmd.prepare(", .status = kLost,
                                               .message = "connection shutdown"}, false, probePrepareFails},
      {"probe's fetch on a lost connection", {.call = "cursor.next(", .status = kLost,
                                              .message = "Error reading data from the connection."}, false,
       fetchFails},
  };
  for (const GuardCase& c : cases) {
    SCOPED_TRACE(c.what);
    QueryFixture f;
    ScriptMissingColumn();
    f.Connect();
    fake::Fail(c.failure);
    bool added = true;
    const support::Raised raised = support::RaisedBy([&] { added = AddVarcharField(f.query, "PUB_PARAM", "INCHKUD", "1"); });
    if (c.absorbed) {
      EXPECT_EQ(raised.kind, "nothing") << raised;
      EXPECT_FALSE(added);
    } else {
      EXPECT_EQ(raised, (support::Raised{"EDatabaseError", kSqlError + c.failure.message}));
    }
    EXPECT_EQ(fake::Calls(), c.calls);
  }
}

TEST(GuardedAddition, TheLostConnectionIsToldByTheFlagAboveTheStatusAlone) {
  QueryFixture f;
  ScriptMissingColumn();
  f.Connect();
  // A network failure the driver did not mark as a loss, then one it did.
  fake::Fail({.call = "cmd.execute(", .status = dbv::status::ConnectionFailed, .message = "down", .skip = 1, .times = 1});
  EXPECT_FALSE(AddDoubleField(f.query, "PROVIDER", "CENTER_AMTPERS"));
  fake::Fail({.call = "cmd.execute(", .status = dbv::status::ConnectionFailed | dbv::kConnectionLost,
              .message = "down", .skip = 1});
  try {
    AddDoubleField(f.query, "PROVIDER", "CENTER_AMTPERS");
    FAIL() << "the lost connection was absorbed";
  } catch (const EDatabaseError& error) {
    EXPECT_TRUE(error.ConnectionLost());
    EXPECT_EQ(error.message(), "Dbvance Error: [0x0015]: Connection failed\r\nSQL Server Error: down");
  }
}

}  // namespace
