// Which refusals of the real server the driver flags as a difference of the
// database's shape (the one kind a guarded schema change skips) and which it
// leaves plain, so that the run reports them. Every row is a refusal Firebird 3
// really gives; the flag comes from its error codes alone.
#include <gtest/gtest.h>

#include <string>

#include "DriverHarness.h"

namespace corvantis::test {
namespace {

constexpr const char* kOtherUser = "CORVANTIS_REFUSAL_USER";
constexpr const char* kOtherPassword = "refusal";

class DriverRefusal : public ServerDatabaseTest {
 protected:
  static void SetUpTestSuite() { ranSetUp() = false; }
  static void TearDownTestSuite() {
    if (ranSetUp()) runIsql(std::string("DROP USER ") + kOtherUser + ";\n", databaseAddress());
    ServerDatabaseTest::TearDownTestSuite();
  }

  void SetUp() override {
    ServerDatabaseTest::SetUp();
    if (HasFatalFailure() || IsSkipped() || ranSetUp()) return;
    // TRIGGERED fires a DDL trigger whose own statement fails for a missing
    // table: the refusal carries the codes of a shape difference, from code of
    // the database's own.
    const CommandOutput made = runIsql(
        "CREATE TABLE SHAPED (A INTEGER NOT NULL PRIMARY KEY, B VARCHAR(10));\n"
        "CREATE INDEX IX_SHAPED ON SHAPED (A);\n"
        "CREATE TABLE TRIGGERED (A INTEGER);\n"
        "INSERT INTO SHAPED VALUES (1, 'one');\n"
        "COMMIT;\n"
        "SET TERM ^;\n"
        "CREATE TRIGGER FAILS_INSIDE BEFORE ALTER TABLE AS\n"
        "BEGIN\n"
        "  IF (RDB$GET_CONTEXT('DDL_TRIGGER', 'OBJECT_NAME') = 'TRIGGERED') THEN\n"
        "    EXECUTE STATEMENT 'ALTER TABLE NO_SUCH_TABLE ADD C INTEGER';\n"
        "END^\n"
        "SET TERM ;^\n"
        "CREATE OR ALTER USER " + std::string(kOtherUser) + " PASSWORD '" + kOtherPassword + "';\n"
        "COMMIT;\n",
        databaseAddress());
    ASSERT_EQ(made.exitCode, 0) << made.text;
    ranSetUp() = true;
  }

 private:
  static bool& ranSetUp() {
    static bool ran = false;
    return ran;
  }
};

TEST_F(DriverRefusal, OnlyARefusalForTheDatabasesShapeIsFlaggedAsOne) {
  struct Row {
    const char* why;
    const char* statement;
    bool waitOnLocks;
    bool otherUser;  // run as a user who owns nothing
    bool shapeDiffers;
  };
  const Row rows[] = {
      {"the table is not there", "ALTER TABLE NO_SUCH_TABLE ADD C INTEGER", true, false, true},
      {"the column is there already", "ALTER TABLE SHAPED ADD B VARCHAR(10)", true, false, true},
      {"the index is there already", "CREATE INDEX IX_SHAPED ON SHAPED (B)", true, false, true},
      {"the index is there already, without waiting", "CREATE INDEX IX_SHAPED ON SHAPED (B)", false, false, true},
      {"the index names a column the table lacks", "CREATE INDEX IX_NEW ON SHAPED (NO_SUCH_COLUMN)", true, false,
       true},
      {"the index's table is not there", "CREATE INDEX IX_NEW ON NO_SUCH_TABLE (A)", true, false, true},
      // Without waiting, Firebird answers another transaction's uncommitted
      // column with this same duplicate: it may never be committed.
      {"a duplicate column without waiting", "ALTER TABLE SHAPED ADD B VARCHAR(10)", false, false, false},
      {"no permission", "ALTER TABLE SHAPED ADD C INTEGER", true, true, false},
      {"no permission for an index", "CREATE INDEX IX_NEW ON SHAPED (B)", true, true, false},
      {"a trigger of the database fails inside", "ALTER TABLE TRIGGERED ADD C INTEGER", true, false, false},
      {"a syntax error", "ALTER TABLE SHAPED ADD C VARCHAR(seven)", true, false, false},
      {"a duplicate row, no schema change", "INSERT INTO SHAPED VALUES (1, 'again')", true, false, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.why);
    DriverConnection connection;
    ASSERT_TRUE(connection.usable());
    ASSERT_EQ(connection->setOption(dbv::connopt::WaitOnLocks, row.waitOnLocks ? 1 : 0), dbv::kSuccess);
    ASSERT_EQ(row.otherUser ? connection.connect(databaseAddress(), kOtherUser, kOtherPassword)
                            : connection.connect(databaseAddress()),
              dbv::kSuccess)
        << connection.errorText();
    const StatementOutcome outcome = execute(connection.get(), row.statement);
    ASSERT_FALSE(outcome.ok()) << "the server took it";
    EXPECT_EQ(dbv::statusOf(outcome.status), dbv::status::SqlError) << outcome.message;
    EXPECT_EQ(dbv::shapeDiffers(outcome.status), row.shapeDiffers) << outcome.message;
    EXPECT_FALSE(dbv::connectionLost(outcome.status)) << outcome.message;
    // The refusal ends nothing: the connection goes on.
    EXPECT_EQ(singleValue(connection.get(), "SELECT COUNT(*) FROM RDB$DATABASE"), "1");
  }
}

}  // namespace
}  // namespace corvantis::test
