// The driver's entry point and connection object against the real server and
// the embedded engine: loading, connecting both ways, refusals with the
// server's message, and the answers the program reads after connecting.
#include <gtest/gtest.h>
#include <signal.h>

#include <cstdint>
#include <memory>
#include <string>

#include "DriverHarness.h"

namespace corvantis::test {
namespace {

constexpr const char* kOwnProtocol =
    "SELECT MON$REMOTE_PROTOCOL FROM MON$ATTACHMENTS WHERE MON$ATTACHMENT_ID = CURRENT_CONNECTION";

TEST(DriverEntryPoint, ClientLibraryThatCannotServeIsRefused) {
  struct Case {
    const char* vendorLib;
    const char* why;
  };
  const Case cases[] = {
      {"libfbclient-missing.so.9", "no such library"},
      {"libc.so.6", "a library without the client's master interface"},
      {"", "no name at all"},
  };
  const dbv::GetDriverProc entry = driverEntry();
  ASSERT_NE(entry, nullptr) << dbv::lastLoaderError();
  for (const Case& c : cases) {
    dbv::ISQLDriver* driver = reinterpret_cast<dbv::ISQLDriver*>(std::uintptr_t{1});  // must be overwritten
    EXPECT_TRUE(dbv::failed(entry(c.vendorLib, "", &driver))) << c.why;
    EXPECT_EQ(driver, nullptr) << c.why;
  }
}

class DriverConnect : public ServerDatabaseTest {};

TEST_F(DriverConnect, ConnectsToTheServerAndToTheEmbeddedEngine) {
  const ScratchDatabase embedded = ScratchDatabase::embedded("connect");
  ASSERT_TRUE(embedded.created()) << embedded.createOutput();
  const FirebirdServer& server = firebirdServer();
  const std::string serverPort = server.host.substr(server.host.find('/') + 1);
  const std::string serverPath = databaseAddress().substr(databaseAddress().find(':') + 1);
  struct Case {
    const char* way;
    std::string database;
    std::string hostName;
    std::string port;
    Value protocol;  // null: no network between client and engine
  };
  const Case cases[] = {
      {"server named in the database", databaseAddress(), "", "", "TCPv4"},
      {"server from HostName and Server Port", serverPath, "127.0.0.1", serverPort, "TCPv4"},
      {"embedded engine, bare path", embedded.connectionString(), "", "", std::nullopt},
  };
  for (const Case& c : cases) {
    DriverConnection connection;
    ASSERT_TRUE(connection.usable());
    if (!c.hostName.empty()) {
      EXPECT_EQ(connection->setStringOption(dbv::connopt::HostName, c.hostName.c_str()), dbv::kSuccess);
      EXPECT_EQ(connection->setStringOption(dbv::connopt::ServerPort, c.port.c_str()), dbv::kSuccess);
    }
    ASSERT_EQ(connection.connect(c.database), dbv::kSuccess) << c.way << ": " << connection.errorText();
    EXPECT_EQ(singleValue(connection.get(), kOwnProtocol), c.protocol) << c.way;
    EXPECT_EQ(connection->disconnect(), dbv::kSuccess) << c.way << ": " << connection.errorText();
  }
}

TEST_F(DriverConnect, RefusedConnectionKeepsTheClientsMessage) {
  const FirebirdServer& server = firebirdServer();
  struct Case {
    const char* why;
    std::string database;
    std::string password;
    std::uint16_t status;
    const char* inMessage;
  };
  const Case cases[] = {
      {"wrong password", databaseAddress(), server.password + "-wrong", dbv::status::SqlError,
       "user name and password are not defined"},
      {"unknown database", server.address(server.dataDir + "/no-such-database.fdb"), server.password,
       dbv::status::SqlError, "no-such-database.fdb"},
      {"nothing listens on the port", "127.0.0.1/1:" + server.dataDir + "/x.fdb", server.password,
       dbv::status::ConnectionFailed, "Unable to complete network request"},
  };
  for (const Case& c : cases) {
    DriverConnection connection;
    ASSERT_TRUE(connection.usable());
    const dbv::SQLResult result = connection.connect(c.database, server.user, c.password);
    EXPECT_EQ(dbv::statusOf(result), c.status) << c.why;
    EXPECT_NE(connection.errorText().find(c.inMessage), std::string::npos)
        << c.why << ": the message is\n" << connection.errorText();
  }
}

TEST_F(DriverConnect, OsAuthenticationSendsNoNameOrPassword) {
  const ScratchDatabase embedded = ScratchDatabase::embedded("os-auth");
  ASSERT_TRUE(embedded.created()) << embedded.createOutput();
  struct Case {
    const char* where;
    std::string database;
    bool accepted;  // the server on Linux has no plugin that trusts the OS account
  };
  const Case cases[] = {
      {"embedded engine", embedded.connectionString(), true},
      {"server", databaseAddress(), false},
  };
  for (const Case& c : cases) {
    DriverConnection connection;
    ASSERT_TRUE(connection.usable());
    EXPECT_EQ(connection->setOption(dbv::connopt::OSAuthentication, 1), dbv::kSuccess);
    // The right name and password, which must stay with the driver.
    const dbv::SQLResult result = connection.connect(c.database);
    EXPECT_EQ(!dbv::failed(result), c.accepted) << c.where << ": " << connection.errorText();
  }
}

// The client installs handlers of its own for SIGINT and SIGTERM that let the
// process run on; the program must stay stoppable from outside.
void markSignal(int) {}

TEST_F(DriverConnect, ProcessKeepsItsOwnAnswerToInterruptAndTerminate) {
  struct sigaction mark {};
  mark.sa_handler = markSignal;
  struct sigaction savedInterrupt {};
  struct sigaction savedTerminate {};
  ASSERT_EQ(sigaction(SIGINT, &mark, &savedInterrupt), 0);
  ASSERT_EQ(sigaction(SIGTERM, &mark, &savedTerminate), 0);
  const ScratchDatabase embedded = ScratchDatabase::embedded("signals");
  ASSERT_TRUE(embedded.created()) << embedded.createOutput();
  const FirebirdServer& server = firebirdServer();
  struct Case {
    const char* way;
    std::string database;
    std::string password;
  };
  const Case cases[] = {
      {"server", databaseAddress(), server.password},
      {"embedded engine", embedded.connectionString(), server.password},
      {"refused by the server", databaseAddress(), server.password + "-wrong"},
      {"server again", databaseAddress(), server.password},
  };
  for (const Case& c : cases) {
    {
      DriverConnection connection;
      ASSERT_TRUE(connection.usable());
      connection.connect(c.database, server.user, c.password);
    }
    for (const int signal : {SIGINT, SIGTERM}) {
      struct sigaction now {};
      ASSERT_EQ(sigaction(signal, nullptr, &now), 0);
      EXPECT_EQ(now.sa_handler, &markSignal) << c.way << ": signal " << signal << " was taken over";
    }
  }
  sigaction(SIGINT, &savedInterrupt, nullptr);
  sigaction(SIGTERM, &savedTerminate, nullptr);
}

TEST_F(DriverConnect, MultiLineServerMessageIsKeptWhole) {
  DriverConnection connection;
  connectTo(connection);
  const StatementOutcome outcome = execute(connection.get(), "SELECT * FROM NO_SUCH_TABLE");
  ASSERT_FALSE(outcome.ok());
  EXPECT_EQ(dbv::statusOf(outcome.status), dbv::status::SqlError);
  EXPECT_EQ(outcome.message,
            "Dynamic SQL Error\n-SQL error code = -204\n-Table unknown\n-NO_SUCH_TABLE\n-At line 1, column 15");
}

TEST_F(DriverConnect, AnswersTheProgramReadsAfterConnecting) {
  DriverConnection connection;
  connectTo(connection);
  std::int32_t maxStatements = -1;
  std::int32_t length = 0;
  EXPECT_EQ(connection->getOption(dbv::connopt::MaxActiveStatements, &maxStatements, sizeof maxStatements, &length),
            dbv::kSuccess);
  EXPECT_EQ(maxStatements, 0) << "0 means no limit";

  dbv::ISQLMetaData* metaData = nullptr;
  ASSERT_EQ(connection->getSQLMetaData(&metaData), dbv::kSuccess);
  EXPECT_EQ(metaData->setStringOption(dbv::metaopt::UserName, "SYSDBA"), dbv::kSuccess);
  char userName[32] = {};
  EXPECT_EQ(metaData->getOption(dbv::metaopt::UserName, userName, sizeof userName, &length), dbv::kSuccess);
  EXPECT_STREQ(userName, "SYSDBA");
  char quote = 0;
  EXPECT_EQ(metaData->getOption(dbv::metaopt::QuoteChar, &quote, 1, &length), dbv::kSuccess);
  EXPECT_EQ(quote, '"');
  for (const std::int32_t flag : {dbv::metaopt::SupportsTransaction, dbv::metaopt::SupportsTransactions}) {
    std::int32_t answer = 0;
    EXPECT_EQ(metaData->getOption(flag, &answer, sizeof answer, &length), dbv::kSuccess);
    EXPECT_EQ(answer, 1) << "metadata option " << flag;
  }
  metaData->release();
}

TEST_F(DriverConnect, AfterDisconnectStatementsFailWithAMessage) {
  DriverConnection connection;
  connectTo(connection);
  dbv::ISQLCommand* command = nullptr;
  ASSERT_EQ(connection->getSQLCommand(&command), dbv::kSuccess);
  ASSERT_EQ(connection->disconnect(), dbv::kSuccess) << connection.errorText();
  EXPECT_EQ(dbv::statusOf(command->prepare("SELECT 1 FROM RDB$DATABASE", 0)), dbv::status::InvalidHandle);
  EXPECT_EQ(errorTextOf(command), "not connected");
  command->release();
  EXPECT_TRUE(dbv::failed(connection->disconnect())) << "a second disconnect has nothing to end";
}

TEST_F(DriverConnect, RowReturningStatementIsCommittedAtExecuteAndOutlivesItsConnection) {
  {
    DriverConnection setup;
    connectTo(setup);
    ASSERT_TRUE(execute(setup.get(), "CREATE TABLE RETURNED_ROW (N INTEGER)").ok());
    ASSERT_TRUE(execute(setup.get(), "INSERT INTO RETURNED_ROW VALUES (1)").ok());
  }
  auto writer = std::make_unique<DriverConnection>();
  connectTo(*writer);
  dbv::ISQLCommand* command = nullptr;
  ASSERT_EQ((*writer)->getSQLCommand(&command), dbv::kSuccess);
  ASSERT_EQ(command->prepare("UPDATE RETURNED_ROW SET N = 2 RETURNING N", 0), dbv::kSuccess) << errorTextOf(command);
  dbv::ISQLCursor* cursor = nullptr;
  ASSERT_EQ(command->execute(&cursor), dbv::kSuccess) << errorTextOf(command);
  ASSERT_NE(cursor, nullptr);
  std::int32_t value = 0;
  bool isNull = false;
  EXPECT_EQ(dbv::statusOf(cursor->getLong(1, &value, &isNull)), dbv::status::EndOfResult)
      << "no row is current before the first next";
  ASSERT_EQ(cursor->next(), dbv::kSuccess);
  EXPECT_EQ(readValue(cursor, 1, dbv::FieldType::Int32, 4), "2");
  EXPECT_EQ(dbv::statusOf(cursor->next()), dbv::status::EndOfResult);

  DriverConnection checker;
  connectTo(checker);
  EXPECT_EQ(singleValue(checker.get(), "SELECT N FROM RETURNED_ROW"), "2") << "visible while the cursor is open";

  // The connection object goes first; its command and cursor must still
  // release cleanly.
  writer.reset();
  EXPECT_EQ(cursor->release(), dbv::kSuccess);
  EXPECT_EQ(command->release(), dbv::kSuccess);
  EXPECT_EQ(singleValue(checker.get(), "SELECT N FROM RETURNED_ROW"), "2");
}

}  // namespace
}  // namespace corvantis::test
