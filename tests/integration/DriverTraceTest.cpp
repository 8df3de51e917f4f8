// Trace events of the real driver: one per operation, in order, while a
// callback is installed and never after; texts whole up to the record's
// 1023 bytes; the owner identity in every record; never the password.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <iterator>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "DriverHarness.h"

namespace corvantis::test {
namespace {

constexpr std::uint32_t kOwner = 4242;

struct Event {
  std::int32_t category;
  std::string text;
  std::int32_t recordCategory;
  std::uint32_t owner;
  bool endsInRecord;  // a NUL within the 1024 bytes

  Event(std::int32_t category, std::string text, std::int32_t recordCategory = 0, std::uint32_t owner = 0,
        bool endsInRecord = true)
      : category(category), text(std::move(text)), recordCategory(recordCategory), owner(owner),
        endsInRecord(endsInRecord) {}
  // What the test expects of an event: its category and its text.
  bool operator==(const Event& other) const { return category == other.category && text == other.text; }
};

void PrintTo(const Event& event, std::ostream* out) { *out << event.category << " \"" << event.text << "\""; }

std::vector<Event>& events() {
  static std::vector<Event> recorded;
  return recorded;
}

extern "C" std::int32_t recordEvent(std::int32_t category, dbv::pSQLTRACEDesc record) {
  const void* end = std::memchr(record->TraceText, '\0', sizeof record->TraceText);
  const std::size_t length =
      end != nullptr ? static_cast<std::size_t>(static_cast<const char*>(end) - record->TraceText)
                     : sizeof record->TraceText;
  events().push_back({category, std::string(record->TraceText, length), record->TraceCategory, record->TraceOwner,
                      end != nullptr});
  return 1;  // the driver ignores the answer
}

// A probe as the program runs it: one fetch, one field read, then the cursor
// and the command released.
void probeLikeTheProgram(dbv::ISQLConnection* connection, const std::string& sql) {
  dbv::ISQLCommand* command = nullptr;
  ASSERT_EQ(connection->getSQLCommand(&command), dbv::kSuccess);
  ASSERT_EQ(command->prepare(sql.c_str(), 0), dbv::kSuccess) << errorTextOf(command);
  dbv::ISQLCursor* cursor = nullptr;
  ASSERT_EQ(command->execute(&cursor), dbv::kSuccess) << errorTextOf(command);
  ASSERT_NE(cursor, nullptr);
  ASSERT_EQ(cursor->next(), dbv::kSuccess);
  std::uint16_t count = 0;
  ASSERT_EQ(cursor->getColumnCount(&count), dbv::kSuccess);
  for (std::uint16_t column = 1; column <= count; ++column) {
    char name[dbv::kMaxColumnName] = {};
    ASSERT_EQ(cursor->getColumnName(column, name), dbv::kSuccess);
    if (std::string(name) == "RDB$RELATION_NAME") {
      char value[128] = {};
      bool isNull = true;
      EXPECT_EQ(cursor->getString(column, value, &isNull), dbv::kSuccess);
      EXPECT_FALSE(isNull);
    }
  }
  EXPECT_EQ(cursor->release(), dbv::kSuccess);
  EXPECT_EQ(command->release(), dbv::kSuccess);
}

class DriverTrace : public ServerDatabaseTest {
 protected:
  void SetUp() override {
    ServerDatabaseTest::SetUp();
    if (HasFatalFailure() || IsSkipped()) return;
    events().clear();
    ASSERT_TRUE(connection_.usable());
  }

  void installHook() {
    ASSERT_EQ(connection_->setOption(dbv::connopt::TraceCallback, reinterpret_cast<std::intptr_t>(&recordEvent)),
              dbv::kSuccess);
    ASSERT_EQ(connection_->setOption(dbv::connopt::TraceOwner, kOwner), dbv::kSuccess);
  }
  void removeHook() {
    ASSERT_EQ(connection_->setOption(dbv::connopt::TraceCallback, 0), dbv::kSuccess);
    ASSERT_EQ(connection_->setOption(dbv::connopt::TraceOwner, 0), dbv::kSuccess);
  }

  DriverConnection connection_;
};

// The program's pattern, two probes and an ALTER, then the disconnect, under
// each isolation level. Under read committed (and dirty read, served as read
// committed) the probes read in the connection's one read-only transaction,
// started just before the first prepare and ended before the detach; under snapshot
// each probe reads in a read-only transaction of its own. A read-only
// transaction is never shown as a commit.
TEST_F(DriverTrace, ProbesAndAnAlterRaiseTheirEventsInOrderWithTheWholeText) {
  using namespace dbv::trace;
  const std::string probe = "SELECT * FROM RDB$RELATIONS \r\n WHERE RDB$RELATION_NAME = 'TRACED'\r\n";
  const Event reader = {Transaction, "start transaction: read committed, read only, wait"};
  const Event ended = {Transaction, "end read-only transaction"};
  const Event opened = {Execute, "execute: cursor open"};
  const Event fetched = {Fetch, "fetch: row 1"};
  const Event altered = {Execute, "execute: 0 rows affected"};
  const Event committed = {Transaction, "commit"};
  const Event disconnected = {Connect, "disconnect from " + databaseAddress()};
  const Event probed = {Prepare, probe};
  const auto alterOf = [&](int n) {
    return Event{Prepare, "ALTER TABLE TRACED ADD QTY_" + std::to_string(n) + " Double Precision\r\n"};
  };
  struct Case {
    std::intptr_t isolation;
    std::intptr_t waitOnLocks;
    std::vector<Event> expected;
  };
  const Case cases[] = {
      {dbv::isolation::ReadCommitted, 1,
       {reader, probed, opened, fetched,
        probed, opened, fetched,
        alterOf(0), {Transaction, "start transaction: read committed, wait"}, altered, committed,
        ended, disconnected}},
      {dbv::isolation::DirtyRead, 0,
       {{Transaction, "start transaction: read committed, read only, no wait"}, probed, opened, fetched,
        probed, opened, fetched,
        alterOf(1), {Transaction, "start transaction: read committed, no wait"}, altered, committed,
        ended, disconnected}},
      {dbv::isolation::RepeatableRead, 1,
       {reader, probed, {Transaction, "start transaction: snapshot, read only, wait"}, opened, fetched, ended,
        probed, {Transaction, "start transaction: snapshot, read only, wait"}, opened, fetched, ended,
        alterOf(2), {Transaction, "start transaction: snapshot, wait"}, altered, committed,
        ended, disconnected}},
  };
  {
    DriverConnection setup;
    connectTo(setup);
    ASSERT_TRUE(execute(setup.get(), "CREATE TABLE TRACED (N INTEGER)").ok());
  }
  for (std::size_t n = 0; n < std::size(cases); ++n) {
    const Case& c = cases[n];
    SCOPED_TRACE("isolation " + std::to_string(c.isolation));
    DriverConnection connection;
    ASSERT_EQ(connection->setOption(dbv::connopt::TransIsolation, c.isolation), dbv::kSuccess);
    ASSERT_EQ(connection->setOption(dbv::connopt::WaitOnLocks, c.waitOnLocks), dbv::kSuccess);
    connectTo(connection);
    events().clear();
    ASSERT_EQ(connection->setOption(dbv::connopt::TraceCallback, reinterpret_cast<std::intptr_t>(&recordEvent)),
              dbv::kSuccess);
    ASSERT_EQ(connection->setOption(dbv::connopt::TraceOwner, kOwner), dbv::kSuccess);
    probeLikeTheProgram(connection.get(), probe);
    probeLikeTheProgram(connection.get(), probe);
    ASSERT_TRUE(execute(connection.get(), alterOf(static_cast<int>(n)).text).ok());
    ASSERT_EQ(connection->disconnect(), dbv::kSuccess);

    ASSERT_EQ(events(), c.expected);
    for (const Event& event : events()) {
      EXPECT_EQ(event.owner, kOwner) << event.text;
      EXPECT_EQ(event.recordCategory, event.category) << event.text;
      EXPECT_TRUE(event.endsInRecord) << event.text;
    }
  }
}

// Only a select of the catalogue alone reads in the connection's kept
// transaction: everything else a statement uses stays in use until its
// transaction ends, and a monitoring table answers from a snapshot taken once
// per transaction. Every other statement shows a transaction of its own.
TEST_F(DriverTrace, OnlyASelectOfTheCatalogueAloneReadsInTheKeptTransaction) {
  connectTo(connection_);
  for (const char* setup : {"CREATE TABLE OWN_ROWS (N INTEGER)", "CREATE TABLE RDB$OWN_ROWS (N INTEGER)",
                            "CREATE VIEW OWN_VIEW AS SELECT RDB$RELATION_NAME FROM RDB$RELATIONS",
                            "CREATE PROCEDURE OWN_ROW RETURNS (N INTEGER) AS BEGIN N = 1; SUSPEND; END"}) {
    ASSERT_TRUE(execute(connection_.get(), setup).ok()) << setup;
  }
  struct Case {
    const char* statement;
    bool kept;
  };
  const Case cases[] = {
      {"SELECT * FROM RDB$RELATIONS \r\n WHERE RDB$RELATION_NAME = 'OWN_ROWS'\r\n", true},
      {"SELECT * FROM RDB$RELATION_FIELDS \r\nWHERE RDB$RELATION_NAME = 'OWN_ROWS'\r\nAND RDB$FIELD_NAME = 'N'\r\n",
       true},
      {"SELECT * FROM RDB$INDICES \r\n WHERE RDB$INDEX_NAME = 'RDB$INDEX_0'\r\n", true},
      {"SELECT R.RDB$RELATION_NAME FROM RDB$RELATIONS R JOIN RDB$RELATION_FIELDS F "
       "ON F.RDB$RELATION_NAME = R.RDB$RELATION_NAME",
       true},
      {"SELECT * FROM OWN_ROWS", false},
      {"SELECT * FROM RDB$OWN_ROWS", false},
      {"SELECT R.RDB$RELATION_NAME FROM RDB$RELATIONS R JOIN OWN_ROWS ON 1 = 1", false},
      {"SELECT * FROM RDB$DATABASE WHERE EXISTS (SELECT 1 FROM OWN_ROWS)", false},
      {"SELECT * FROM OWN_VIEW", false},
      {"SELECT * FROM OWN_ROW", false},
      {"SELECT COUNT(*) FROM RDB$RELATIONS", false},
      {"SELECT * FROM MON$DATABASE", false},
      {"EXECUTE BLOCK RETURNS (N INTEGER) AS BEGIN N = 1; SUSPEND; END", false},
  };
  installHook();
  for (const Case& c : cases) {
    events().clear();
    const QueryOutcome outcome = query(connection_.get(), c.statement);
    std::vector<std::string> transactionTexts;
    for (const Event& event : events()) {
      if (event.category == dbv::trace::Transaction) transactionTexts.push_back(event.text);
    }
    EXPECT_TRUE(outcome.ok()) << c.statement << ": " << outcome.message;
    if (c.kept) {
      EXPECT_EQ(transactionTexts, std::vector<std::string>{}) << c.statement;
    } else {
      ASSERT_FALSE(transactionTexts.empty()) << c.statement;
      EXPECT_EQ(transactionTexts.front(), "start transaction: read committed, wait") << c.statement;
      EXPECT_EQ(transactionTexts.back(), "commit") << c.statement;
    }
  }
}

TEST_F(DriverTrace, ServerErrorIsAnEventWithTheServersMessage) {
  connectTo(connection_);
  installHook();
  const StatementOutcome refused = execute(connection_.get(), "ALTER TABLE NOT_TRACED ADD X INTEGER");
  ASSERT_FALSE(refused.ok());
  std::vector<std::string> errorTexts;
  for (const Event& event : events()) {
    if (event.category == dbv::trace::Error) errorTexts.push_back(event.text);
  }
  ASSERT_EQ(errorTexts.size(), 1u);
  EXPECT_EQ(errorTexts[0], "execute failed: " + refused.message);
  EXPECT_EQ(events().back().text, "rollback") << "the failed statement's transaction is rolled back";
}

// Firebird builds an index only at commit, so a unique index over duplicate
// rows is refused by the commit: the log must show that, not a commit.
TEST_F(DriverTrace, ACommitTheServerRefusesShowsItsFailureAndTheRollbackNeverCommit) {
  connectTo(connection_);
  ASSERT_TRUE(execute(connection_.get(), "CREATE TABLE TWICE (N INTEGER)").ok());
  ASSERT_TRUE(execute(connection_.get(), "INSERT INTO TWICE VALUES (1)").ok());
  ASSERT_TRUE(execute(connection_.get(), "INSERT INTO TWICE VALUES (1)").ok());
  installHook();
  const StatementOutcome refused = execute(connection_.get(), "CREATE UNIQUE INDEX TWICE_N ON TWICE (N)");
  ASSERT_FALSE(refused.ok());
  EXPECT_NE(refused.message.find("duplicate"), std::string::npos) << refused.message;
  std::vector<std::string> texts;
  for (const Event& event : events()) texts.push_back(event.text);
  ASSERT_EQ(texts.size(), 5u);
  EXPECT_EQ(texts[2], "execute: 0 rows affected") << "the statement ran; its commit is what fails";
  EXPECT_EQ(texts[3], "execute failed: " + refused.message);
  EXPECT_EQ(texts[4], "rollback");
  for (const std::string& text : texts) EXPECT_NE(text.rfind("commit", 0), 0u) << text;
}

TEST_F(DriverTrace, LongStatementIsCutAtTheRecordsLastByte) {
  connectTo(connection_);
  installHook();
  std::string statement = "SELECT 1 FROM RDB$DATABASE WHERE 1 = 1";
  while (statement.size() < 2000) statement += " AND 1 = 1";
  ASSERT_GE(statement.size(), 2000u);
  ASSERT_TRUE(query(connection_.get(), statement).ok());
  // After the start of the transaction the prepare serves.
  ASSERT_GE(events().size(), 2u);
  const Event& prepared = events()[1];
  EXPECT_EQ(prepared.category, dbv::trace::Prepare);
  EXPECT_TRUE(prepared.endsInRecord) << "1023 bytes and a NUL";
  EXPECT_EQ(prepared.text, statement.substr(0, 1023));
}

TEST_F(DriverTrace, NoEventWithoutACallback) {
  connectTo(connection_);
  ASSERT_TRUE(query(connection_.get(), "SELECT 1 FROM RDB$DATABASE").ok());
  EXPECT_TRUE(events().empty()) << "before installing";
  installHook();
  ASSERT_TRUE(query(connection_.get(), "SELECT 2 FROM RDB$DATABASE").ok());
  EXPECT_FALSE(events().empty());
  removeHook();
  events().clear();
  ASSERT_TRUE(query(connection_.get(), "SELECT 3 FROM RDB$DATABASE").ok());
  EXPECT_FALSE(execute(connection_.get(), "SELECT FROM").ok());
  ASSERT_EQ(connection_->disconnect(), dbv::kSuccess);
  EXPECT_TRUE(events().empty()) << "after removing: " << events().front().text;
}

TEST_F(DriverTrace, ConnectIsTracedWithoutThePassword) {
  installHook();
  const FirebirdServer& server = firebirdServer();
  ASSERT_EQ(connection_.connect(databaseAddress()), dbv::kSuccess) << connection_.errorText();
  ASSERT_TRUE(query(connection_.get(), "SELECT CURRENT_USER FROM RDB$DATABASE").ok());
  ASSERT_EQ(connection_->disconnect(), dbv::kSuccess);
  DriverConnection refused;
  ASSERT_EQ(refused->setOption(dbv::connopt::TraceCallback, reinterpret_cast<std::intptr_t>(&recordEvent)),
            dbv::kSuccess);
  EXPECT_TRUE(dbv::failed(refused.connect(databaseAddress(), server.user, server.password + "-refused")));

  ASSERT_FALSE(events().empty());
  EXPECT_EQ(events().front().category, dbv::trace::Connect);
  EXPECT_EQ(events().front().text, "connect to " + databaseAddress() + " as " + server.user);
  bool sawDisconnect = false;
  for (const Event& event : events()) {
    EXPECT_EQ(event.text.find(server.password), std::string::npos) << "password in: " << event.text;
    sawDisconnect = sawDisconnect || event.text == "disconnect from " + databaseAddress();
  }
  EXPECT_TRUE(sawDisconnect);
  EXPECT_EQ(events().back().category, dbv::trace::Error) << "the refused connect";
}

}  // namespace
}  // namespace corvantis::test
