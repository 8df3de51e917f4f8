// The guarded column additions against the scripted driver: the one failure
// they absorb (a refusal the driver flags as a difference of the database's
// shape) and every other one they let through, and that telling them apart
// costs no driver call of its own.
#include <gtest/gtest.h>

#include "QueryGuards.h"
#include "DriverError.h"
#include "QueryFixture.h"
#include "Raised.h"

namespace {

using support::Calls;
using support::QueryFixture;

const std::string kSqlError = "Dbvance Error: [0x0065]: SQL Error\r\nSQL Server Error: ";
constexpr dbv::SQLResult kLost = dbv::status::SqlError | dbv::kConnectionLost;
constexpr dbv::SQLResult kShape = dbv::status::SqlError | dbv::kShapeDiffers;

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

TEST(GuardedAddition, OnlyADifferenceOfShapeStaysInTheGuardAndTellingItCostsNoCall) {
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
      {"ALTER refused for the shape (table unknown)", {.call = "cmd.execute(", .status = kShape,
                                                       .message = "Table unknown", .skip = 1}, true, alterFails},
      {"ALTER refused for a lock", {.call = "cmd.execute(", .message = "lock conflict on no wait transaction",
                                    .skip = 1}, false, alterFails},
      {"ALTER on a lost connection", {.call = "cmd.execute(", .status = kLost, .message = "connection shutdown",
                                      .skip = 1}, false, alterFails},
      {"probe refused at preparation", {.call = "cmd.prepare(", .message = "Token unknown"}, false,
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
    const support::Raised raised =
        support::RaisedBy([&] { added = QueryGuards(f.query).AddVarcharField("PUB_PARAM", "INCHKUD", "1"); });
    if (c.absorbed) {
      EXPECT_EQ(raised.kind, "nothing") << raised;
      EXPECT_FALSE(added);
    } else {
      EXPECT_EQ(raised, (support::Raised{"EDatabaseError", kSqlError + c.failure.message}));
    }
    EXPECT_EQ(fake::Calls(), c.calls);
  }
}

TEST(GuardedAddition, WhatTheFailureMeansIsToldByTheFlagsAboveTheStatusAlone) {
  struct FlagCase {
    const char* what;
    dbv::SQLResult result;
    bool absorbed;
    DatabaseFailure kind;  // of the failure let through
  };
  const FlagCase cases[] = {
      {"no flag: refused", dbv::status::SqlError, false, DatabaseFailure::Refused},
      {"shape flag", dbv::status::SqlError | dbv::kShapeDiffers, true, DatabaseFailure::ShapeDiffers},
      {"a network failure not marked as a loss", dbv::status::ConnectionFailed, false, DatabaseFailure::Refused},
      {"a network failure marked as a loss", dbv::status::ConnectionFailed | dbv::kConnectionLost, false,
       DatabaseFailure::ConnectionLost},
  };
  for (const FlagCase& c : cases) {
    SCOPED_TRACE(c.what);
    QueryFixture f;
    ScriptMissingColumn();
    f.Connect();
    fake::Fail({.call = "cmd.execute(", .status = c.result, .message = "down", .skip = 1});
    try {
      EXPECT_EQ(QueryGuards(f.query).AddDoubleField("PROVIDER", "CENTER_AMTPERS"), !c.absorbed);
      EXPECT_TRUE(c.absorbed) << "the failure was absorbed";
    } catch (const EDatabaseError& error) {
      EXPECT_FALSE(c.absorbed) << "the failure was let through";
      EXPECT_EQ(error.ConnectionLost(), c.kind == DatabaseFailure::ConnectionLost);
      EXPECT_EQ(error.ShapeDiffers(), c.kind == DatabaseFailure::ShapeDiffers);
      EXPECT_EQ(error.message(), driver_error::StatusText(dbv::statusOf(c.result)) + "\r\nSQL Server Error: down");
    }
  }
}

}  // namespace
