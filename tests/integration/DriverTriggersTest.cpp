// A database's own triggers against the real driver: ON CONNECT, ON
// TRANSACTION START and DDL triggers that write, which make the server refuse
// every read-only transaction; a DDL trigger whose external statement fails;
// and a transaction start that fails outright, which the log tells as such.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "DriverHarness.h"

namespace corvantis::test {
namespace {

struct Event {
  std::int32_t category;
  std::string text;
  bool operator==(const Event&) const = default;
};

std::vector<Event>& events() {
  static std::vector<Event> recorded;
  return recorded;
}

std::int32_t recordEvent(std::int32_t category, dbv::pSQLTRACEDesc record) {
  events().push_back({category, record->TraceText});
  return 0;
}

void traceInto(DriverConnection& connection) {
  events().clear();
  ASSERT_EQ(connection->setOption(dbv::connopt::TraceCallback, reinterpret_cast<std::intptr_t>(&recordEvent)),
            dbv::kSuccess);
  ASSERT_EQ(connection->setOption(dbv::connopt::TraceOwner, 1), dbv::kSuccess);
}

std::size_t count(const std::vector<Event>& seen, const Event& wanted) {
  return static_cast<std::size_t>(std::count(seen.begin(), seen.end(), wanted));
}

const std::string kProbe = "SELECT * FROM RDB$RELATIONS \r\n WHERE RDB$RELATION_NAME = 'PLAIN'\r\n";

class DriverTriggers : public ServerDatabaseTest {
 protected:
  static void SetUpTestSuite() { madeTriggers() = false; }

  void SetUp() override {
    ServerDatabaseTest::SetUp();
    if (HasFatalFailure() || IsSkipped() || madeTriggers()) return;
    // As a shop's database may have them: every attachment, transaction and
    // schema change leaves a row; EXTERNAL_T's changes also go to a server
    // that is not there.
    const CommandOutput made = runIsql(
        "CREATE TABLE TX_LOG (N INTEGER);\n"
        "CREATE TABLE CONNECT_LOG (N INTEGER);\n"
        "CREATE TABLE DDL_LOG (N INTEGER);\n"
        "CREATE TABLE PLAIN (A INTEGER);\n"
        "CREATE TABLE EXTERNAL_T (A INTEGER);\n"
        "COMMIT;\n"
        "SET TERM ^;\n"
        "CREATE OR ALTER TRIGGER TX_START ON TRANSACTION START AS\n"
        "BEGIN\n"
        "  INSERT INTO TX_LOG VALUES (1);\n"
        "END^\n"
        "CREATE OR ALTER TRIGGER CONNECTED ON CONNECT AS\n"
        "BEGIN\n"
        "  INSERT INTO CONNECT_LOG VALUES (1);\n"
        "END^\n"
        "CREATE OR ALTER TRIGGER DDL_DONE AFTER ANY DDL STATEMENT AS\n"
        "BEGIN\n"
        "  INSERT INTO DDL_LOG VALUES (1);\n"
        "  IF (RDB$GET_CONTEXT('DDL_TRIGGER', 'OBJECT_NAME') = 'EXTERNAL_T') THEN\n"
        "    EXECUTE STATEMENT 'INSERT INTO DDL_LOG VALUES (2)'\n"
        "      ON EXTERNAL '127.0.0.1/1:/nowhere.fdb' AS USER 'SYSDBA' PASSWORD 'none';\n"
        "END^\n"
        "SET TERM ;^\n"
        "COMMIT;\n",
        databaseAddress());
    ASSERT_EQ(made.exitCode, 0) << made.text;
    madeTriggers() = true;
  }

 private:
  static bool& madeTriggers() {
    static bool made = false;
    return made;
  }
};

// The database: no step ran, the first catalogue read ended in
// "attempted update during read-only transaction". Now the refusal is logged
// where it happens, before the prepare, and from then on every transaction is
// read-write: catalogue reads too, each in a transaction of its own.
TEST_F(DriverTriggers, WhereReadOnlyTransactionsAreRefusedEverythingRunsReadWrite) {
  for (const std::intptr_t isolation : {dbv::isolation::ReadCommitted, dbv::isolation::RepeatableRead}) {
    SCOPED_TRACE("isolation " + std::to_string(isolation));
    DriverConnection connection;
    ASSERT_EQ(connection->setOption(dbv::connopt::TransIsolation, isolation), dbv::kSuccess);
    connectTo(connection);
    traceInto(connection);
    const QueryOutcome before = query(connection.get(), kProbe);
    ASSERT_TRUE(before.ok()) << before.message;
    EXPECT_EQ(before.rows.size(), 1u);
    const StatementOutcome altered = execute(connection.get(), "ALTER TABLE PLAIN ADD B" +
                                                                   std::to_string(isolation) + " INTEGER");
    ASSERT_TRUE(altered.ok()) << altered.message;
    EXPECT_EQ(singleValue(connection.get(), "SELECT COUNT(*) FROM RDB$RELATION_FIELDS WHERE RDB$RELATION_NAME = "
                                            "'PLAIN' AND RDB$FIELD_NAME = 'B" + std::to_string(isolation) + "'"),
              "1");
    ASSERT_EQ(connection->disconnect(), dbv::kSuccess);

    const std::string kind = isolation == dbv::isolation::RepeatableRead ? "snapshot" : "read committed";
    ASSERT_GE(events().size(), 3u);
    EXPECT_EQ(events()[0].category, dbv::trace::Error);
    EXPECT_EQ(events()[0].text.rfind("start transaction failed: attempted update during read-only transaction\n"
                                     "-At trigger 'TX_START'",
                                     0),
              0u)
        << events()[0].text;
    EXPECT_EQ(events()[1], (Event{dbv::trace::Transaction, "start transaction: read committed, wait"}));
    EXPECT_EQ(events()[2], (Event{dbv::trace::Prepare, kProbe}));
    // The refusal once; then the reader, and one transaction for each of the
    // three statements, each committed; the reader rolled back at the end.
    EXPECT_EQ(count(events(), events()[0]), 1u);
    const Event started = {dbv::trace::Transaction, "start transaction: " + kind + ", wait"};
    EXPECT_EQ(count(events(), started) + (kind == "snapshot" ? 1 : 0), 4u);
    EXPECT_EQ(count(events(), {dbv::trace::Transaction, "commit"}), 3u);
    EXPECT_EQ(count(events(), {dbv::trace::Transaction, "rollback"}), 1u);
    for (const Event& event : events()) EXPECT_EQ(event.text.find("read only"), std::string::npos) << event.text;
  }
}

// The external statement's failure is the trigger's: the schema change is
// refused, neither as a difference of shape nor as a loss of this attachment,
// which goes on.
TEST_F(DriverTriggers, AFailureOfAnExternalStatementInATriggerIsNoLossOfTheAttachment) {
  DriverConnection connection;
  connectTo(connection);
  const StatementOutcome refused = execute(connection.get(), "ALTER TABLE EXTERNAL_T ADD B INTEGER");
  ASSERT_FALSE(refused.ok());
  EXPECT_EQ(dbv::statusOf(refused.status), dbv::status::SqlError) << refused.message;
  EXPECT_FALSE(dbv::connectionLost(refused.status)) << refused.message;
  EXPECT_FALSE(dbv::shapeDiffers(refused.status)) << refused.message;
  EXPECT_NE(refused.message.find("Execute statement error at attach"), std::string::npos) << refused.message;
  EXPECT_TRUE(execute(connection.get(), "ALTER TABLE PLAIN ADD C INTEGER").ok());
}

class DriverTransactionStart : public ServerDatabaseTest {};

// A trigger that refuses every transaction of this process: the first prepare
// fails because its transaction cannot start, and the log says so, with no
// prepare event.
TEST_F(DriverTransactionStart, AFailureToStartTheReaderIsLoggedAsSuch) {
  const CommandOutput made = runIsql(
      "CREATE EXCEPTION NO_START 'no transaction for this process';\n"
      "COMMIT;\n"
      "SET TERM ^;\n"
      "CREATE TRIGGER REFUSE ON TRANSACTION START AS\n"
      "BEGIN\n"
      "  IF (RDB$GET_CONTEXT('SYSTEM', 'CLIENT_PID') = '" + std::to_string(::getpid()) + "') THEN\n"
      "    EXCEPTION NO_START;\n"
      "END^\n"
      "SET TERM ;^\n"
      "COMMIT;\n",
      databaseAddress());
  ASSERT_EQ(made.exitCode, 0) << made.text;
  DriverConnection connection;
  connectTo(connection);
  traceInto(connection);
  dbv::ISQLCommand* command = nullptr;
  ASSERT_EQ(connection->getSQLCommand(&command), dbv::kSuccess);
  const dbv::SQLResult prepared = command->prepare(kProbe.c_str(), 0);
  const std::string message = errorTextOf(command);
  command->release();
  EXPECT_EQ(dbv::statusOf(prepared), dbv::status::SqlError);
  EXPECT_EQ(message.rfind("exception ", 0), 0u) << message;
  EXPECT_NE(message.find("no transaction for this process"), std::string::npos) << message;
  EXPECT_EQ(events(), (std::vector<Event>{{dbv::trace::Error, "start transaction failed: " + message}}));
  EXPECT_EQ(runIsql("DROP TRIGGER REFUSE;\nCOMMIT;\n", databaseAddress()).exitCode, 0);
}

}  // namespace
}  // namespace corvantis::test
