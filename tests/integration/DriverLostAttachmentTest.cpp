// The real driver once the server has ended its attachment, or the network
// has: the failure is marked as a lost connection, and from then on the driver
// sends the server nothing more: every call fails at once with the loss that
// ended it, its status and its text. Firebird 3 can leave a request on an attachment it is tearing
// down unanswered for ever; here a relay between driver and server stands in
// for that server: it passes the answer that reports the loss and then
// counts, and holds back, anything more the driver sends.
#include <gtest/gtest.h>

#include <string>

#include "CuttingProxy.h"
#include "DriverHarness.h"

namespace {

using namespace corvantis::test;

int ServerPort() {
  const std::string& host = firebirdServer().host;
  const std::size_t slash = host.find('/');
  return slash == std::string::npos ? 3050 : std::stoi(host.substr(slash + 1));
}

class DriverLostAttachment : public ServerDatabaseTest {
 protected:
  void SetUp() override {
    ServerDatabaseTest::SetUp();
    if (HasFatalFailure() || IsSkipped()) return;
    const CommandOutput made = runIsql(
        "RECREATE TABLE LOST_T (A INTEGER);\n"
        "INSERT INTO LOST_T SELECT 1 FROM RDB$RELATIONS A CROSS JOIN RDB$RELATIONS B;\nCOMMIT;\n",
        databaseAddress());
    ASSERT_EQ(made.exitCode, 0) << made.text;
  }

  // A command of the connection with the text prepared.
  void prepared(DriverConnection& connection, const char* text, dbv::ISQLCommand*& command) {
    ASSERT_EQ(connection->getSQLCommand(&command), dbv::kSuccess);
    ASSERT_EQ(command->prepare(text, 0), dbv::kSuccess) << errorTextOf(command);
  }

  // Ends the driver's attachment from outside, as an administrator would.
  void endOtherAttachments() {
    const CommandOutput killed = runIsql(
        "DELETE FROM MON$ATTACHMENTS WHERE MON$ATTACHMENT_ID <> CURRENT_CONNECTION AND MON$SYSTEM_FLAG = 0;\n",
        databaseAddress());
    ASSERT_EQ(killed.exitCode, 0) << killed.text;
  }

  // Connected through the proxy.
  void connectThrough(support::CuttingProxy& proxy, DriverConnection& connection) {
    const std::string path = databaseAddress().substr(databaseAddress().find(':') + 1);
    ASSERT_TRUE(connection.usable());
    ASSERT_EQ(connection.connect("127.0.0.1/" + std::to_string(proxy.port()) + ":" + path), dbv::kSuccess)
        << connection.errorText();
  }
};

// The call fails with the kept loss: its status with the flag, and its text.
template <typename Object, typename Call>
void ExpectKeptLoss(Object* object, Call&& call, std::uint16_t status, const std::string& keptText,
                    const char* what) {
  SCOPED_TRACE(what);
  const dbv::SQLResult result = call();
  EXPECT_EQ(dbv::statusOf(result), status);
  EXPECT_TRUE(dbv::connectionLost(result));
  EXPECT_EQ(errorTextOf(object), keptText);
}

TEST_F(DriverLostAttachment, AfterTheServerEndedTheAttachmentNothingMoreIsSent) {
  support::CuttingProxy proxy(ServerPort());
  DriverConnection connection;
  connectThrough(proxy, connection);
  dbv::ISQLCommand* command = nullptr;
  // Prepared, so its transaction is open on the server when the attachment goes.
  ASSERT_NO_FATAL_FAILURE(prepared(connection, "INSERT INTO LOST_T VALUES (1)", command));
  ASSERT_NO_FATAL_FAILURE(endOtherAttachments());

  proxy.Arm();
  dbv::ISQLCursor* cursor = nullptr;
  ExpectKeptLoss(command, [&] { return command->execute(&cursor); }, dbv::status::SqlError, "connection shutdown",
                 "the loss itself");
  ASSERT_TRUE(proxy.Deaf());
  dbv::ISQLCommand* later = nullptr;
  ASSERT_EQ(connection->getSQLCommand(&later), dbv::kSuccess);
  ExpectKeptLoss(later, [&] { return later->prepare("SELECT 1 FROM RDB$DATABASE", 0); }, dbv::status::SqlError,
                 "connection shutdown", "a later statement");
  later->release();
  command->release();
  EXPECT_EQ(connection->disconnect(), dbv::kSuccess);
  EXPECT_EQ(proxy.BytesHeldBack(), 0) << "the driver asked the lost attachment something (a rollback, a release, "
                                         "a detach): a server tearing it down may never answer";
}

// The loss first shows in a quiet end, the end of the kept read-only
// transaction before the detach, which nobody receives a status from: it is
// judged as any failure, so the detach is not sent after it. (A released
// statement has no such end of its own: the client sends its free with the
// next request, and that request's failure is judged.)
TEST_F(DriverLostAttachment, ALossSeenInAQuietEndStopsWhatWouldFollowIt) {
  support::CuttingProxy proxy(ServerPort());
  DriverConnection connection;
  connectThrough(proxy, connection);
  dbv::ISQLCommand* command = nullptr;
  ASSERT_NO_FATAL_FAILURE(prepared(connection, "SELECT 1 FROM RDB$DATABASE", command));
  command->release();
  ASSERT_NO_FATAL_FAILURE(endOtherAttachments());

  proxy.Arm();
  EXPECT_EQ(connection->disconnect(), dbv::kSuccess);
  EXPECT_TRUE(proxy.Deaf()) << "the read-only transaction was not ended";
  EXPECT_EQ(proxy.BytesHeldBack(), 0) << "the detach was sent after the end of the transaction said the "
                                         "attachment is gone";
}

// The network gives out while the client waits for an answer: the read error
// is a loss like any other. Every later call fails at once with it, by the
// driver's own check before anything is sent: the client would answer a call
// on the closed connection with "connection shutdown" instead.
TEST_F(DriverLostAttachment, AReadErrorOfTheNetworkIsALossKeptForEveryLaterCall) {
  support::CuttingProxy proxy(ServerPort());
  DriverConnection connection;
  connectThrough(proxy, connection);
  dbv::ISQLCommand* command = nullptr;
  ASSERT_NO_FATAL_FAILURE(prepared(connection, "INSERT INTO LOST_T VALUES (2)", command));
  // A cursor with rows still to fetch, and a count of them nobody has asked for yet.
  dbv::ISQLCommand* reading = nullptr;
  ASSERT_NO_FATAL_FAILURE(prepared(connection, "SELECT A FROM LOST_T", reading));
  dbv::ISQLCursor* cursor = nullptr;
  ASSERT_EQ(reading->execute(&cursor), dbv::kSuccess) << errorTextOf(reading);
  ASSERT_NE(cursor, nullptr);

  proxy.Arm();  // the answer to the next request still comes; the one after it never does
  dbv::ISQLCursor* none = nullptr;
  const dbv::SQLResult failed = command->execute(&none);
  const std::string kept = errorTextOf(command);
  EXPECT_EQ(dbv::statusOf(failed), dbv::status::ConnectionFailed);
  EXPECT_TRUE(dbv::connectionLost(failed)) << kept;
  EXPECT_NE(kept.find("Error reading data from the connection"), std::string::npos) << kept;
  EXPECT_GT(proxy.BytesHeldBack(), 0);

  const std::uint16_t status = dbv::status::ConnectionFailed;
  ExpectKeptLoss(command, [&] { return command->execute(&none); }, status, kept, "the next execute");
  dbv::ISQLCommand* later = nullptr;
  ASSERT_EQ(connection->getSQLCommand(&later), dbv::kSuccess);
  const auto prepareLater = [&] { return later->prepare("SELECT 1 FROM RDB$DATABASE", 0); };
  ExpectKeptLoss(later, prepareLater, status, kept, "a prepare");
  // Another lock wait needs another reader: the attachment is asked for it,
  // and nothing checks the loss on the way but the attachment's hand-out.
  ASSERT_EQ(connection->setOption(dbv::connopt::WaitOnLocks, 0), dbv::kSuccess);
  ExpectKeptLoss(later, prepareLater, status, kept, "a prepare that starts a transaction");
  later->release();
  ExpectKeptLoss(cursor, [&] { return cursor->next(); }, status, kept, "a fetch");
  std::int32_t rows = 0;
  ExpectKeptLoss(reading, [&] { return reading->getRowsAffected(&rows); }, status, kept, "a query's count");
  EXPECT_EQ(cursor->release(), dbv::kSuccess);
  reading->release();
  command->release();
  EXPECT_EQ(connection->disconnect(), dbv::kSuccess);
}

}  // namespace
