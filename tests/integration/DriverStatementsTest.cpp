// Statements through the driver on the real server: each one's work is
// committed when execute returns, refused statements fail from the call that
// sent them and leave nothing behind, bytes arrive untranslated, catalogue
// probes and rows affected are what the server says, and values come out by
// type.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DriverHarness.h"

namespace corvantis::test {
namespace {

// Lines ended by CR LF, as the program sends them.
std::string statementText(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

std::string tableProbe(const std::string& table) {
  return statementText({"SELECT * FROM RDB$RELATIONS ", " WHERE RDB$RELATION_NAME = '" + table + "'"});
}

class DriverStatements : public ServerDatabaseTest {
 protected:
  void SetUp() override {
    ServerDatabaseTest::SetUp();
    if (HasFatalFailure() || IsSkipped()) return;
    connectTo(writer_);
    connectTo(observer_);
  }

  void run(const std::string& sql) {
    const StatementOutcome outcome = execute(writer_.get(), sql);
    ASSERT_TRUE(outcome.ok()) << sql << "\nfailed at " << outcome.failedStep << ": " << outcome.message;
  }

  Value observed(const std::string& sql) { return singleValue(observer_.get(), sql); }

  DriverConnection writer_;
  DriverConnection observer_;  // a second attachment, for what others see
};

TEST_F(DriverStatements, EachStatementsWorkIsCommittedWhenExecuteReturns) {
  struct Step {
    const char* statement;
    const char* check;  // run on the second attachment right after
    const char* seen;
  };
  const Step steps[] = {
      {"CREATE TABLE STOCK (ID INTEGER NOT NULL, QTY INTEGER)",
       "SELECT COUNT(*) FROM RDB$RELATIONS WHERE RDB$RELATION_NAME = 'STOCK'", "1"},
      {"CREATE INDEX STOCK_ID ON STOCK (ID)", "SELECT COUNT(*) FROM RDB$INDICES WHERE RDB$INDEX_NAME = 'STOCK_ID'",
       "1"},
      {"INSERT INTO STOCK VALUES (1, 5)", "SELECT COUNT(*) FROM STOCK", "1"},
      {"ALTER TABLE STOCK ADD UNIT VARCHAR(7)",
       "SELECT COUNT(*) FROM RDB$RELATION_FIELDS WHERE RDB$RELATION_NAME = 'STOCK' AND RDB$FIELD_NAME = 'UNIT'", "1"},
      {"UPDATE STOCK SET UNIT = 'BOX'", "SELECT UNIT FROM STOCK", "BOX"},
      {"DELETE FROM STOCK", "SELECT COUNT(*) FROM STOCK", "0"},
  };
  for (const Step& step : steps) {
    run(step.statement);
    EXPECT_EQ(observed(step.check), step.seen) << "after " << step.statement;
  }
  // A select may write, through a procedure: the release of its cursor commits that too.
  run("CREATE PROCEDURE RESTOCK RETURNS (N INTEGER) AS BEGIN INSERT INTO STOCK (ID) VALUES (2); N = 2; SUSPEND; END");
  EXPECT_EQ(singleValue(writer_.get(), "SELECT N FROM RESTOCK"), "2");
  EXPECT_EQ(observed("SELECT COUNT(*) FROM STOCK"), "1");
}

TEST_F(DriverStatements, RefusedStatementFailsFromItsOwnCallAndLeavesNothingBehind) {
  run("CREATE TABLE GOODS (CODE VARCHAR(10))");
  run("INSERT INTO GOODS VALUES ('A')");
  run("INSERT INTO GOODS VALUES ('A')");
  struct Case {
    const char* why;
    const char* statement;
    const char* failingStep;
    const char* inMessage;
  };
  const Case cases[] = {
      {"syntax error", "ALTER TABLE GOODS ADD", "prepare", "Unexpected end of command"},
      {"table that does not exist", "ALTER TABLE NO_SUCH_GOODS ADD X INTEGER", "execute", "NO_SUCH_GOODS"},
      // Firebird builds the index only at commit, where the duplicates stop it.
      {"DDL that fails only at commit", "CREATE UNIQUE INDEX GOODS_CODE ON GOODS (CODE)", "execute",
       "attempt to store duplicate value"},
  };
  for (const Case& c : cases) {
    const StatementOutcome outcome = execute(writer_.get(), c.statement);
    EXPECT_EQ(dbv::statusOf(outcome.status), dbv::status::SqlError) << c.why;
    EXPECT_EQ(outcome.failedStep, c.failingStep) << c.why;
    EXPECT_NE(outcome.message.find(c.inMessage), std::string::npos) << c.why << ": " << outcome.message;
  }
  EXPECT_EQ(observed("SELECT COUNT(*) FROM RDB$INDICES WHERE RDB$INDEX_NAME = 'GOODS_CODE'"), "0");
  // Neither attachment waits on what the failures might have left open.
  const StatementOutcome altered = execute(observer_.get(), "ALTER TABLE GOODS ADD NOTE VARCHAR(20)");
  EXPECT_TRUE(altered.ok()) << altered.message;
  run("UPDATE GOODS SET NOTE = 'after'");
  EXPECT_EQ(observed("SELECT COUNT(*) FROM GOODS WHERE NOTE = 'after'"), "2");
}

// Running a statement keeps what it uses in use until its transaction ends,
// and Firebird refuses to drop an object in use, from any attachment. A read,
// a catalogue probe even while its cursor is still open, leaves nothing that
// stops a later change of what it read: by the same connection or another.
// Another attachment changes through isql-fb, waiting for locks no longer than
// a few seconds: the server lets go of an object another attachment merely
// has cached only after a moment, and one still in use would wait for ever.
TEST_F(DriverStatements, NoReadStopsALaterChangeOfWhatItRead) {
  const auto changedByAnother = [](const std::string& change) {
    const CommandOutput isql =
        runIsql("SET AUTODDL OFF;\nSET TRANSACTION WAIT LOCK TIMEOUT 5;\n" + change + ";\nCOMMIT;\n", databaseAddress());
    return StatementOutcome{isql.exitCode == 0 ? dbv::kSuccess : dbv::status::SqlError, "", isql.text, 0};
  };
  struct Case {
    const char* object;  // created by the writer
    std::string read;    // by the observer
    bool cursorLeftOpen;
    bool changedByReader;
    const char* change;
  };
  const Case cases[] = {
      {"CREATE TABLE PROBED (N INTEGER)", tableProbe("PROBED"), true, false, "CREATE INDEX PROBED_N ON PROBED (N)"},
      {nullptr, tableProbe("PROBED"), true, false, "ALTER TABLE PROBED ADD M INTEGER"},
      {nullptr, tableProbe("PROBED"), false, true, "CREATE INDEX PROBED_M ON PROBED (M)"},
      {nullptr, tableProbe("PROBED"), true, false, "DROP TABLE PROBED"},
      {"CREATE TABLE READ_ROWS (N INTEGER)", "SELECT * FROM READ_ROWS", false, false, "DROP TABLE READ_ROWS"},
      {"CREATE TABLE OWN_ROWS (N INTEGER)", "SELECT * FROM OWN_ROWS", false, true, "DROP TABLE OWN_ROWS"},
      {"CREATE TABLE JOINED_ROWS (N INTEGER)", "SELECT * FROM RDB$DATABASE JOIN JOINED_ROWS ON 1 = 1", false, false,
       "DROP TABLE JOINED_ROWS"},
      {"CREATE VIEW NAMES AS SELECT RDB$RELATION_NAME FROM RDB$RELATIONS", "SELECT * FROM NAMES", false, false,
       "DROP VIEW NAMES"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.read + " then " + c.change);
    if (c.object != nullptr) {
      ASSERT_TRUE(execute(writer_.get(), c.object).ok()) << c.object;
    }
    StatementOutcome prepared;
    auto command = detail::preparedCommand(observer_.get(), c.read, prepared);
    ASSERT_TRUE(prepared.ok()) << prepared.message;
    dbv::ISQLCursor* cursor = nullptr;
    ASSERT_EQ(command->execute(&cursor), dbv::kSuccess) << errorTextOf(command.get());
    ASSERT_NE(cursor, nullptr);
    cursor->next();
    if (!c.cursorLeftOpen) {
      cursor->release();
      command.reset();
    }
    const StatementOutcome changed =
        c.changedByReader ? execute(observer_.get(), c.change) : changedByAnother(c.change);
    EXPECT_TRUE(changed.ok()) << changed.message;
    if (c.cursorLeftOpen) cursor->release();
  }
}

TEST_F(DriverStatements, Big5BytesInTheStatementArriveUntranslated) {
  run("CREATE TABLE KIND (NAME VARCHAR(10))");
  run("INSERT INTO KIND VALUES ('\xA4\x40\xAF\xEB')");  // 一般
  EXPECT_EQ(observed("SELECT CAST(NAME AS CHAR(4) CHARACTER SET OCTETS) FROM KIND"), "A440AFEB");
  EXPECT_EQ(observed("SELECT OCTET_LENGTH(NAME) FROM KIND"), "4");
  EXPECT_EQ(singleValue(writer_.get(), "SELECT NAME FROM KIND"), "\xA4\x40\xAF\xEB");  // 一般
  EXPECT_EQ(singleValue(writer_.get(), "SELECT COUNT(*) FROM KIND WHERE NAME = '\xA4\x40\xAF\xEB'"), "1");  // 一般

  const CommandOutput isql = runIsql("SELECT CAST(NAME AS VARCHAR(10) CHARACTER SET OCTETS) FROM KIND;\n",
                                     databaseAddress());
  EXPECT_NE(isql.text.find("A440AFEB"), std::string::npos) << "isql-fb reads the same bytes:\n" << isql.text;
}

TEST_F(DriverStatements, CatalogueProbeGivesThePaddedNameOrNoRow) {
  run("CREATE TABLE UPDATE_HIST (STEP INTEGER)");
  struct Case {
    const char* table;
    std::size_t rows;
  };
  const Case cases[] = {{"UPDATE_HIST", 1}, {"NOT_THERE", 0}};
  for (const Case& c : cases) {
    const QueryOutcome outcome = query(writer_.get(), tableProbe(c.table));
    ASSERT_TRUE(outcome.ok()) << outcome.message;
    ASSERT_EQ(outcome.rows.size(), c.rows) << c.table;
    if (c.rows == 0) continue;
    std::size_t nameColumn = 0;
    while (nameColumn < outcome.columnNames.size() && outcome.columnNames[nameColumn] != "RDB$RELATION_NAME") {
      ++nameColumn;
    }
    ASSERT_LT(nameColumn, outcome.columnNames.size()) << "no RDB$RELATION_NAME column";
    EXPECT_EQ(outcome.columnTypes[nameColumn], dbv::FieldType::String);
    const std::string padded =
        std::string(c.table) + std::string(outcome.columnLengths[nameColumn] - std::string(c.table).size(), ' ');
    EXPECT_EQ(outcome.rows[0][nameColumn], padded);
  }
}

TEST_F(DriverStatements, RowsAffectedAreTheServersCount) {
  run("CREATE TABLE MOVES (N INTEGER)");
  struct Case {
    const char* statement;
    std::int32_t rows;
  };
  const Case cases[] = {
      {"INSERT INTO MOVES SELECT 1 FROM RDB$TYPES ROWS 5", 5},
      {"UPDATE MOVES SET N = 2 ROWS 3", 3},
      {"UPDATE MOVES SET N = 3 WHERE N = 9", 0},
      {"DELETE FROM MOVES WHERE N = 2", 3},
      {"SELECT * FROM MOVES", 0},
      {"ALTER TABLE MOVES ADD M INTEGER", 0},
      {"UPDATE OR INSERT INTO MOVES (N, M) VALUES (7, 7) MATCHING (N)", 1},
  };
  for (const Case& c : cases) {
    const StatementOutcome outcome = execute(writer_.get(), c.statement);
    ASSERT_TRUE(outcome.ok()) << c.statement << ": " << outcome.message;
    EXPECT_EQ(outcome.rowsAffected, c.rows) << c.statement;
  }
}

TEST_F(DriverStatements, ValuesComeOutByTheirType) {
  struct Case {
    const char* expression;
    dbv::FieldType type;
    Value value;
  };
  const Case cases[] = {
      {"CAST(-12 AS SMALLINT)", dbv::FieldType::Int16, "-12"},
      {"CAST(123456789 AS INTEGER)", dbv::FieldType::Int32, "123456789"},
      {"CAST(9000000000 AS BIGINT)", dbv::FieldType::Decimal, "9000000000"},
      {"CAST(-1234.56 AS NUMERIC(9,2))", dbv::FieldType::Decimal, "-1234.56"},
      {"CAST(0.05 AS NUMERIC(4,2))", dbv::FieldType::Decimal, "0.05"},
      {"CAST(2.5 AS DOUBLE PRECISION)", dbv::FieldType::Double, "2.5"},
      {"CAST(0.25 AS FLOAT)", dbv::FieldType::Double, "0.25"},
      {"DATE '0001-01-01'", dbv::FieldType::Date, "1"},
      {"DATE '1858-11-17'", dbv::FieldType::Date, "678576"},
      {"DATE '2024-02-29'", dbv::FieldType::Date, "738945"},
      {"TIME '12:34:56.789'", dbv::FieldType::Time, "45296789"},
      {"TIMESTAMP '2024-02-29 00:00:01.5'", dbv::FieldType::Timestamp, "738945 1500"},
      {"TRUE", dbv::FieldType::Boolean, "1"},
      {"CAST('x y' AS VARCHAR(8))", dbv::FieldType::String, "x y"},
      {"CAST('ab' AS CHAR(3) CHARACTER SET OCTETS)", dbv::FieldType::Bytes, "616200"},
      {"CAST('long text' AS BLOB SUB_TYPE TEXT)", dbv::FieldType::Blob, "long text"},
      {"CAST(NULL AS INTEGER)", dbv::FieldType::Int32, std::nullopt},
      {"CAST(NULL AS VARCHAR(3))", dbv::FieldType::String, std::nullopt},
      {"CAST(NULL AS BLOB)", dbv::FieldType::Blob, std::nullopt},
  };
  for (const Case& c : cases) {
    const std::string sql = std::string("SELECT ") + c.expression + " FROM RDB$DATABASE";
    const QueryOutcome outcome = query(writer_.get(), sql);
    ASSERT_TRUE(outcome.ok()) << sql << ": " << outcome.message;
    ASSERT_EQ(outcome.rows.size(), 1u) << sql;
    EXPECT_EQ(outcome.columnTypes[0], c.type) << c.expression;
    EXPECT_EQ(outcome.rows[0][0], c.value) << c.expression;
  }
}

TEST_F(DriverStatements, ColumnsAreDescribedAsDeclared) {
  run("CREATE TABLE SHAPES (CODE CHAR(6) NOT NULL, PRICE NUMERIC(15,4), NOTE VARCHAR(30))");
  dbv::ISQLCommand* command = nullptr;
  ASSERT_EQ(writer_->getSQLCommand(&command), dbv::kSuccess);
  ASSERT_EQ(command->prepare("SELECT CODE, PRICE AS COST, NOTE FROM SHAPES", 0), dbv::kSuccess);
  dbv::ISQLCursor* cursor = nullptr;
  ASSERT_EQ(command->execute(&cursor), dbv::kSuccess) << errorTextOf(command);
  struct Case {
    const char* name;
    dbv::FieldType type;
    std::uint32_t length;
    std::int16_t scale;
    bool nullable;
  };
  const Case cases[] = {
      {"CODE", dbv::FieldType::String, 6, 0, false},
      {"COST", dbv::FieldType::Decimal, 8, 4, true},
      {"NOTE", dbv::FieldType::String, 30, 0, true},
  };
  std::uint16_t count = 0;
  EXPECT_EQ(cursor->getColumnCount(&count), dbv::kSuccess);
  EXPECT_EQ(count, 3);
  for (std::uint16_t column = 1; column <= 3; ++column) {
    const Case& c = cases[column - 1];
    char name[dbv::kMaxColumnName] = {};
    dbv::FieldType type{};
    std::uint16_t subType = 0;
    std::uint32_t length = 0;
    std::int16_t scale = -1;
    bool nullable = !c.nullable;
    EXPECT_EQ(cursor->getColumnName(column, name), dbv::kSuccess);
    EXPECT_EQ(cursor->getColumnType(column, &type, &subType), dbv::kSuccess);
    EXPECT_EQ(cursor->getColumnLength(column, &length), dbv::kSuccess);
    EXPECT_EQ(cursor->getColumnScale(column, &scale), dbv::kSuccess);
    EXPECT_EQ(cursor->isNullable(column, &nullable), dbv::kSuccess);
    EXPECT_STREQ(name, c.name);
    EXPECT_EQ(type, c.type) << c.name;
    EXPECT_EQ(length, c.length) << c.name;
    EXPECT_EQ(scale, c.scale) << c.name;
    EXPECT_EQ(nullable, c.nullable) << c.name;
  }
  EXPECT_EQ(dbv::statusOf(cursor->next()), dbv::status::EndOfResult) << "the table is empty";
  EXPECT_EQ(dbv::statusOf(cursor->next()), dbv::status::EndOfResult) << "and stays at its end";
  cursor->release();
  command->release();
}

TEST_F(DriverStatements, MisusedCursorAndCommandCallsFailWithAMessage) {
  dbv::ISQLCommand* command = nullptr;
  ASSERT_EQ(writer_->getSQLCommand(&command), dbv::kSuccess);
  dbv::ISQLCursor* cursor = nullptr;
  EXPECT_EQ(dbv::statusOf(command->execute(&cursor)), dbv::status::InvalidHandle) << "nothing prepared";
  EXPECT_EQ(errorTextOf(command), "no statement is prepared");

  ASSERT_EQ(command->prepare("SELECT 7 FROM RDB$DATABASE WHERE 1 = ?", 1), dbv::kSuccess) << errorTextOf(command);
  EXPECT_EQ(dbv::statusOf(command->execute(&cursor)), dbv::status::ParameterNotSet);
  EXPECT_EQ(cursor, nullptr);

  ASSERT_EQ(command->prepare("COMMIT", 0), dbv::kSuccess) << errorTextOf(command);
  EXPECT_EQ(dbv::statusOf(command->execute(&cursor)), dbv::status::NotSupported) << "transactions are the driver's";

  ASSERT_EQ(command->executeImmediate("SELECT CAST(7 AS INTEGER) FROM RDB$DATABASE", &cursor), dbv::kSuccess)
      << errorTextOf(command);
  ASSERT_NE(cursor, nullptr);
  ASSERT_EQ(cursor->next(), dbv::kSuccess);
  struct Case {
    const char* call;
    dbv::SQLResult result;
    std::uint16_t status;
  };
  char text[16];
  double number = 0;
  std::int32_t integer = 0;
  bool isNull = false;
  const Case cases[] = {
      {"getString on an INTEGER", cursor->getString(1, text, &isNull), dbv::status::InvalidFieldType},
      {"getDouble on an INTEGER", cursor->getDouble(1, &number, &isNull), dbv::status::InvalidFieldType},
      {"column 0", cursor->getLong(0, &integer, &isNull), dbv::status::OutOfRange},
      {"column 2 of 1", cursor->getLong(2, &integer, &isNull), dbv::status::OutOfRange},
      {"no place for the null flag", cursor->getLong(1, &integer, nullptr), dbv::status::InvalidParameter},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(dbv::statusOf(c.result), c.status) << c.call;
  }
  EXPECT_EQ(cursor->getLong(1, &integer, &isNull), dbv::kSuccess);
  EXPECT_EQ(integer, 7);
  EXPECT_EQ(errorTextOf(cursor), "no place for the answer") << "the last failure's text stays";
  cursor->release();
  command->release();
}

TEST_F(DriverStatements, PreparedCommandRunsAgainEachTimeInItsOwnTransaction) {
  run("CREATE TABLE TICKS (TRANSACTION_ID BIGINT)");
  dbv::ISQLCommand* command = nullptr;
  ASSERT_EQ(writer_->getSQLCommand(&command), dbv::kSuccess);
  ASSERT_EQ(command->prepare("INSERT INTO TICKS VALUES (CURRENT_TRANSACTION)", 0), dbv::kSuccess);
  for (int i = 0; i < 3; ++i) {
    dbv::ISQLCursor* cursor = nullptr;
    ASSERT_EQ(command->execute(&cursor), dbv::kSuccess) << errorTextOf(command);
    EXPECT_EQ(cursor, nullptr);
    EXPECT_EQ(command->close(), dbv::kSuccess);
  }
  command->release();
  EXPECT_EQ(observed("SELECT COUNT(DISTINCT TRANSACTION_ID) FROM TICKS"), "3");
}

}  // namespace
}  // namespace corvantis::test
