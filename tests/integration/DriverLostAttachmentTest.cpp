// The real driver once the server has ended its attachment: the failure is
// marked as a lost connection, and from then on the driver sends the server
// nothing more. Firebird 3 can leave a request on an attachment it is tearing
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

class DriverLostAttachment : public ServerDatabaseTest {};

TEST_F(DriverLostAttachment, AfterTheServerEndedTheAttachmentNothingMoreIsSent) {
  ASSERT_EQ(runIsql("CREATE TABLE LOST_T (A INTEGER);\n", databaseAddress()).exitCode, 0);
  support::CuttingProxy proxy(ServerPort());
  const std::string path = databaseAddress().substr(databaseAddress().find(':') + 1);
  DriverConnection connection;
  ASSERT_TRUE(connection.usable());
  ASSERT_EQ(connection.connect("127.0.0.1/" + std::to_string(proxy.port()) + ":" + path), dbv::kSuccess)
      << connection.errorText();
  dbv::ISQLCommand* command = nullptr;
  ASSERT_EQ(connection->getSQLCommand(&command), dbv::kSuccess);
  // Prepared, so its transaction is open on the server when the attachment goes.
  ASSERT_EQ(command->prepare("INSERT INTO LOST_T VALUES (1)", 0), dbv::kSuccess) << errorTextOf(command);
  const CommandOutput killed = runIsql(
      "DELETE FROM MON$ATTACHMENTS WHERE MON$ATTACHMENT_ID <> CURRENT_CONNECTION AND MON$SYSTEM_FLAG = 0;\n",
      databaseAddress());
  ASSERT_EQ(killed.exitCode, 0) << killed.text;

  proxy.Arm();
  dbv::ISQLCursor* cursor = nullptr;
  const dbv::SQLResult executed = command->execute(&cursor);
  EXPECT_EQ(dbv::statusOf(executed), dbv::status::SqlError);
  EXPECT_TRUE(dbv::connectionLost(executed));
  EXPECT_EQ(errorTextOf(command), "connection shutdown");
  ASSERT_TRUE(proxy.Deaf());

  // A later statement fails at once with the same loss.
  dbv::ISQLCommand* later = nullptr;
  ASSERT_EQ(connection->getSQLCommand(&later), dbv::kSuccess);
  const dbv::SQLResult prepared = later->prepare("SELECT 1 FROM RDB$DATABASE", 0);
  EXPECT_TRUE(dbv::connectionLost(prepared));
  EXPECT_EQ(errorTextOf(later), "connection shutdown");
  later->release();
  std::int32_t rows = 0;
  EXPECT_TRUE(dbv::connectionLost(command->getRowsAffected(&rows)));
  command->release();
  EXPECT_EQ(connection->disconnect(), dbv::kSuccess);
  EXPECT_EQ(proxy.BytesHeldBack(), 0) << "the driver asked the lost attachment something (a rollback, a release, "
                                         "a detach): a server tearing it down may never answer";
}

}  // namespace
