// Connection options take effect on the server: each is read back from the
// server itself (monitoring tables, context variables, the result a dialect
// gives) after connecting with it.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "DriverHarness.h"

namespace corvantis::test {
namespace {

struct Option {
  std::int32_t number;
  std::variant<std::intptr_t, std::string> value;
};

class DriverOptions : public ServerDatabaseTest {
 protected:
  // A connection with the options set before its connect call, as the program sets them.
  static std::unique_ptr<DriverConnection> connectWith(const std::vector<Option>& options) {
    auto connection = std::make_unique<DriverConnection>();
    if (!connection->usable()) return connection;
    for (const Option& option : options) {
      const dbv::SQLResult result =
          std::holds_alternative<std::string>(option.value)
              ? (*connection)->setStringOption(option.number, std::get<std::string>(option.value).c_str())
              : (*connection)->setOption(option.number, std::get<std::intptr_t>(option.value));
      EXPECT_EQ(result, dbv::kSuccess) << "option " << option.number << ": " << connection->errorText();
    }
    EXPECT_EQ(connection->connect(databaseAddress()), dbv::kSuccess) << connection->errorText();
    return connection;
  }

  static std::string ownAttachment(const char* column) {
    return std::string("SELECT ") + column +
           " FROM MON$ATTACHMENTS WHERE MON$ATTACHMENT_ID = CURRENT_CONNECTION";
  }
  static std::string ownTransaction(const char* column) {
    return std::string("SELECT ") + column + " FROM MON$TRANSACTIONS WHERE MON$TRANSACTION_ID = CURRENT_TRANSACTION";
  }
};

TEST_F(DriverOptions, RoleNameBecomesTheAttachmentsRole) {
  {
    DriverConnection setup;
    connectTo(setup);
    ASSERT_TRUE(execute(setup.get(), "CREATE ROLE CORVANTIS_CLERK").ok());
    ASSERT_TRUE(execute(setup.get(), "GRANT CORVANTIS_CLERK TO " + firebirdServer().user).ok());
  }
  struct Case {
    const char* roleName;
    const char* currentRole;
  };
  const Case cases[] = {
      {"CORVANTIS_CLERK", "CORVANTIS_CLERK"},
      {"corvantis_clerk", "CORVANTIS_CLERK"},  // unquoted names are upper-cased
      {"NO_SUCH_ROLE", "NONE"},                // the server ignores an unknown role
      {"RDB$ADMIN", "NONE"},                   // and one the user was not granted
      {"", "NONE"},
  };
  for (const Case& c : cases) {
    const auto connection = connectWith({{dbv::connopt::RoleName, std::string(c.roleName)}});
    EXPECT_EQ(singleValue(connection->get(), "SELECT TRIM(CURRENT_ROLE) FROM RDB$DATABASE"), c.currentRole)
        << "RoleName '" << c.roleName << "'";
  }
}

TEST_F(DriverOptions, ServerCharSetBecomesTheConnectionCharacterSet) {
  struct Case {
    const char* serverCharSet;
    const char* characterSetId;
  };
  const Case cases[] = {
      {"", "0"},  // NONE: bytes pass untranslated
      {"UTF8", "4"},
      {"BIG_5", "56"},
  };
  for (const Case& c : cases) {
    const auto connection = connectWith({{dbv::connopt::ServerCharSet, std::string(c.serverCharSet)}});
    EXPECT_EQ(singleValue(connection->get(), ownAttachment("MON$CHARACTER_SET_ID")), c.characterSetId)
        << "ServerCharSet '" << c.serverCharSet << "'";
  }
}

TEST_F(DriverOptions, SqlDialectGovernsEveryStatement) {
  struct Case {
    std::intptr_t dialect;
    dbv::FieldType halfType;  // of 1/2: exact in dialect 3, floating in dialect 1
    const char* half;
    char quote;
  };
  const Case cases[] = {
      {3, dbv::FieldType::Decimal, "0", '"'},
      {1, dbv::FieldType::Double, "0.5", '\0'},
  };
  for (const Case& c : cases) {
    const auto connection = connectWith({{dbv::connopt::SqlDialect, c.dialect}});
    const QueryOutcome outcome = query(connection->get(), "SELECT 1/2 FROM RDB$DATABASE");
    ASSERT_TRUE(outcome.ok()) << outcome.message;
    ASSERT_EQ(outcome.rows.size(), 1u);
    EXPECT_EQ(outcome.columnTypes[0], c.halfType) << "dialect " << c.dialect;
    EXPECT_EQ(outcome.rows[0][0], c.half) << "dialect " << c.dialect;

    dbv::ISQLMetaData* metaData = nullptr;
    ASSERT_EQ((*connection)->getSQLMetaData(&metaData), dbv::kSuccess);
    char quote = 'x';
    std::int32_t length = 0;
    EXPECT_EQ(metaData->getOption(dbv::metaopt::QuoteChar, &quote, 1, &length), dbv::kSuccess);
    EXPECT_EQ(quote, c.quote) << "dialect " << c.dialect;
    metaData->release();
  }
}

TEST_F(DriverOptions, IsolationAndLockWaitShapeEveryTransaction) {
  struct Case {
    std::intptr_t isolation;
    std::intptr_t waitOnLocks;
    const char* isolationLevel;
    const char* isolationMode;  // MON$ISOLATION_MODE: 1 snapshot, 2 read committed record version
    const char* lockTimeout;    // -1 wait for ever, 0 no wait
  };
  const Case cases[] = {
      {dbv::isolation::ReadCommitted, 1, "READ COMMITTED", "2", "-1"},
      {dbv::isolation::RepeatableRead, 1, "SNAPSHOT", "1", "-1"},
      {dbv::isolation::DirtyRead, 0, "READ COMMITTED", "2", "0"},
      {dbv::isolation::ReadCommitted, 0, "READ COMMITTED", "2", "0"},
  };
  for (const Case& c : cases) {
    const auto connection = connectWith(
        {{dbv::connopt::TransIsolation, c.isolation}, {dbv::connopt::WaitOnLocks, c.waitOnLocks}});
    const QueryOutcome outcome =
        query(connection->get(), "SELECT RDB$GET_CONTEXT('SYSTEM', 'ISOLATION_LEVEL'), MON$ISOLATION_MODE, "
                                 "MON$LOCK_TIMEOUT FROM MON$TRANSACTIONS WHERE MON$TRANSACTION_ID = CURRENT_TRANSACTION");
    ASSERT_TRUE(outcome.ok()) << outcome.message;
    ASSERT_EQ(outcome.rows.size(), 1u);
    const std::vector<Value> expected = {c.isolationLevel, c.isolationMode, c.lockTimeout};
    EXPECT_EQ(outcome.rows[0], expected) << "isolation " << c.isolation << ", wait " << c.waitOnLocks;
  }
}

TEST_F(DriverOptions, NoWaitStatementFailsAtOnceOnALockedRowAndLeavesNothingBehind) {
  {
    DriverConnection setup;
    connectTo(setup);
    ASSERT_TRUE(execute(setup.get(), "CREATE TABLE LOCKED_ROW (N INTEGER)").ok());
    ASSERT_TRUE(execute(setup.get(), "INSERT INTO LOCKED_ROW VALUES (1)").ok());
  }
  DriverConnection holder;
  connectTo(holder);
  dbv::ISQLCommand* command = nullptr;
  ASSERT_EQ(holder->getSQLCommand(&command), dbv::kSuccess);
  ASSERT_EQ(command->prepare("SELECT N FROM LOCKED_ROW WITH LOCK", 0), dbv::kSuccess) << errorTextOf(command);
  dbv::ISQLCursor* cursor = nullptr;
  ASSERT_EQ(command->execute(&cursor), dbv::kSuccess) << errorTextOf(command);
  ASSERT_EQ(cursor->next(), dbv::kSuccess) << "the fetch takes the lock";

  const auto noWait = connectWith({{dbv::connopt::WaitOnLocks, 0}});
  const StatementOutcome refused = execute(noWait->get(), "UPDATE LOCKED_ROW SET N = 2");
  EXPECT_EQ(dbv::statusOf(refused.status), dbv::status::SqlError);
  EXPECT_NE(refused.message.find("conflict"), std::string::npos) << refused.message;

  cursor->release();  // ends the holder's transaction
  command->release();
  const StatementOutcome retried = execute(noWait->get(), "UPDATE LOCKED_ROW SET N = 2");
  EXPECT_TRUE(retried.ok()) << retried.message;
  EXPECT_EQ(retried.rowsAffected, 1);
}

TEST_F(DriverOptions, CommitRetainKeepsOneTransactionAndStillCommitsEachStatement) {
  struct Case {
    std::intptr_t commitRetain;
    const char* table;
    const char* openTransactions;  // read-write ones of the writing attachment, seen from another one
  };
  const Case cases[] = {
      {0, "RETAIN_OFF", "0"},
      {1, "RETAIN_ON", "1"},
  };
  DriverConnection observer;
  connectTo(observer);
  for (const Case& c : cases) {
    const std::string table = c.table;
    ASSERT_TRUE(execute(observer.get(), "CREATE TABLE " + table + " (ATTACHMENT BIGINT)").ok());
    const auto writer = connectWith({{dbv::connopt::CommitRetain, c.commitRetain}});
    for (int i = 0; i < 2; ++i) {
      const StatementOutcome inserted = execute(writer->get(), "INSERT INTO " + table + " VALUES (CURRENT_CONNECTION)");
      ASSERT_TRUE(inserted.ok()) << inserted.message;
    }
    EXPECT_EQ(singleValue(observer.get(), "SELECT COUNT(*) FROM " + table), "2")
        << "CommitRetain " << c.commitRetain << ": both rows are committed";
    // Its read-only transaction, kept for reading the catalogue, holds no work.
    EXPECT_EQ(singleValue(observer.get(), "SELECT COUNT(*) FROM MON$TRANSACTIONS WHERE MON$READ_ONLY = 0 AND "
                                          "MON$ATTACHMENT_ID = (SELECT FIRST 1 ATTACHMENT FROM " + table + ")"),
              c.openTransactions)
        << "CommitRetain " << c.commitRetain;
  }
}

TEST_F(DriverOptions, TrimCharDropsTheBlanksThatPadCharValues) {
  struct Case {
    std::intptr_t trimChar;
    const char* value;
  };
  const Case cases[] = {
      {0, "ab   "},
      {1, "ab"},
  };
  for (const Case& c : cases) {
    const auto connection = connectWith({{dbv::connopt::TrimChar, c.trimChar}});
    EXPECT_EQ(singleValue(connection->get(), "SELECT CAST('ab' AS CHAR(5)) FROM RDB$DATABASE"), c.value)
        << "Trim Char " << c.trimChar;
    EXPECT_EQ(singleValue(connection->get(), "SELECT CAST('ab  ' AS VARCHAR(5)) FROM RDB$DATABASE"), "ab  ")
        << "a VARCHAR keeps its own blanks, Trim Char " << c.trimChar;
  }
}

TEST_F(DriverOptions, BlobSizeLimitsTheBlobValueHandedOut) {
  struct Case {
    std::intptr_t blobSizeKiB;
    std::size_t handedOut;
  };
  const Case cases[] = {
      {-1, 3000},
      {1, 1024},
      {4, 3000},
  };
  for (const Case& c : cases) {
    const auto connection = connectWith({{dbv::connopt::BlobSize, c.blobSizeKiB}});
    const Value blob =
        singleValue(connection->get(), "SELECT CAST(LPAD('', 3000, 'x') AS BLOB SUB_TYPE TEXT) FROM RDB$DATABASE");
    ASSERT_TRUE(blob.has_value());
    EXPECT_EQ(*blob, std::string(c.handedOut, 'x')) << "BlobSize " << c.blobSizeKiB;
  }
}

TEST_F(DriverOptions, RefusedOptionValuesKeepAMessage) {
  struct Case {
    std::int32_t option;
    std::variant<std::intptr_t, std::string> value;
    const char* inMessage;
  };
  const Case cases[] = {
      {dbv::connopt::SqlDialect, std::intptr_t{4}, "outside 1 to 3"},
      {dbv::connopt::TransIsolation, std::intptr_t{3}, "outside 0 to 2"},
      {dbv::connopt::RoleName, std::intptr_t{1}, "takes no integer value"},
      {dbv::connopt::SqlDialect, std::string("3"), "takes no text value"},
      {dbv::connopt::ServerPort, std::string("30:51"), "holds a '/' or ':'"},
  };
  DriverConnection connection;
  ASSERT_TRUE(connection.usable());
  for (const Case& c : cases) {
    const dbv::SQLResult result =
        std::holds_alternative<std::string>(c.value)
            ? connection->setStringOption(c.option, std::get<std::string>(c.value).c_str())
            : connection->setOption(c.option, std::get<std::intptr_t>(c.value));
    EXPECT_EQ(dbv::statusOf(result), dbv::status::InvalidParameter) << "option " << c.option;
    EXPECT_NE(connection.errorText().find(c.inMessage), std::string::npos) << connection.errorText();
  }
}

}  // namespace
}  // namespace corvantis::test
