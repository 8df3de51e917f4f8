// Trace events of the real driver: one per operation, in order, while a
// callback is installed and never after; texts whole up to the record's
// 1023 bytes; the owner identity in every record; never the password.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
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
};

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

std::vector<std::int32_t> categoriesOf(const std::vector<Event>& recorded) {
  std::vector<std::int32_t> categories;
  for (const Event& event : recorded) categories.push_back(event.category);
  return categories;
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

TEST_F(DriverTrace, ProbeAndAlterRaiseTheirEventsInOrderWithTheWholeText) {
  connectTo(connection_);
  ASSERT_TRUE(execute(connection_.get(), "CREATE TABLE TRACED (N INTEGER)").ok());
  installHook();
  const std::string probe = "SELECT * FROM RDB$RELATIONS \r\n WHERE RDB$RELATION_NAME = 'TRACED'\r\n";
  const std::string alter = "ALTER TABLE TRACED ADD QTY Double Precision\r\n";
  probeLikeTheProgram(connection_.get(), probe);
  ASSERT_TRUE(execute(connection_.get(), alter).ok());

  using namespace dbv::trace;
  const std::vector<std::int32_t> expected = {
      Prepare, Transaction, Execute, Fetch, Transaction,  // probe: the first row; commit at release
      Prepare, Transaction, Execute, Transaction,         // alter: committed within execute
  };
  ASSERT_EQ(categoriesOf(events()), expected);
  const std::vector<Event>& recorded = events();
  EXPECT_EQ(recorded[0].text, probe) << "the statement text whole, CR LF and all";
  EXPECT_EQ(recorded[2].text, "execute: cursor open");
  EXPECT_EQ(recorded[3].text, "fetch: row 1");
  EXPECT_EQ(recorded[4].text, "commit");
  EXPECT_EQ(recorded[5].text, alter);
  EXPECT_EQ(recorded[6].text, "start transaction: read committed, wait");
  EXPECT_EQ(recorded[7].text, "execute: 0 rows affected");
  EXPECT_EQ(recorded[8].text, "commit");
  for (const Event& event : recorded) {
    EXPECT_EQ(event.owner, kOwner) << event.text;
    EXPECT_EQ(event.recordCategory, event.category) << event.text;
    EXPECT_TRUE(event.endsInRecord) << event.text;
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
  ASSERT_FALSE(events().empty());
  const Event& prepared = events().front();
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
