// The statement object against the real server through the real driver:
// probes, results without a cursor, refused statements, and the per-statement
// commit the upgrade relies on.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "FirebirdTestServer.h"
#include "Raised.h"
#include "SampleDatabase.h"
#include "UpgradeSession.h"

namespace {

using corvantis::test::ScratchDatabase;
using support::Raised;

class QueryServer : public sample::ServerTest {
 protected:
  void SetUp() override {
    sample::ServerTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    database_.emplace(ScratchDatabase::onServer("query"));
    ASSERT_TRUE(database_->created()) << database_->createOutput();
    session_.emplace(database_->connectionString());
  }
  void TearDown() override {
    session_.reset();
    database_.reset();
  }

  TSQLQuery& Query() { return session_->Query(); }

  void SetLines(const std::vector<std::string>& lines) {
    Query().Close();
    Query().ClearLines();
    for (const std::string& line : lines) Query().AddLine(line);
  }
  void Execute(const std::string& statement) {
    SetLines({statement});
    Query().ExecSQL(false);
  }
  // The text of one field of the first row of a one-line query.
  std::string FirstValue(const std::string& select, const std::string& field) {
    SetLines({select});
    Query().Open();
    return Query().FieldByName(field).AsString();
  }
  std::string Isql(const std::string& sql) const {
    return corvantis::test::runIsql("SET HEADING OFF;\n" + sql + "\n", database_->connectionString()).text;
  }

  std::optional<ScratchDatabase> database_;
  std::optional<sample::UpgradeSession> session_;
};

TEST_F(QueryServer, AProbeMatchingNoRowOpensWithANullName) {
  SetLines({"SELECT * FROM RDB$RELATIONS ", " WHERE RDB$RELATION_NAME = 'NO_SUCH_TABLE'"});
  Query().Open();
  EXPECT_TRUE(Query().Active());
  TField& name = Query().FieldByName("RDB$RELATION_NAME");
  EXPECT_TRUE(name.IsNull());
  EXPECT_EQ(name.AsString(), "");
}

TEST_F(QueryServer, AMatchingProbeGivesThePaddedName) {
  SetLines({"SELECT * FROM RDB$RELATIONS ", " WHERE RDB$RELATION_NAME = 'RDB$RELATIONS'"});
  Query().Open();
  TField& name = Query().FieldByName("RDB$RELATION_NAME");
  EXPECT_FALSE(name.IsNull());
  const std::string text = name.AsString();
  EXPECT_EQ(text.substr(0, 13), "RDB$RELATIONS");
  EXPECT_GT(text.size(), 13u);
  EXPECT_EQ(text.find_first_not_of(' ', 13), std::string::npos) << "[" << text << "]";
}

TEST_F(QueryServer, FieldByNameFindsACatalogueColumnInLowerCase) {
  SetLines({"SELECT * FROM RDB$RELATION_FIELDS ", "WHERE RDB$RELATION_NAME = 'RDB$RELATIONS'",
            "AND RDB$FIELD_NAME = 'RDB$RELATION_NAME'"});
  Query().Open();
  EXPECT_EQ(Query().FieldByName("rdb$field_name").AsString().substr(0, 17), "RDB$RELATION_NAME");
  EXPECT_EQ(support::RaisedBy([&] { Query().FieldByName("NO_SUCH_COLUMN"); }),
            (Raised{"EDatabaseError", "SQLQuery1: Field 'NO_SUCH_COLUMN' not found"}));
  EXPECT_TRUE(Query().Active());
}

TEST_F(QueryServer, OpenOfACreateTableRunsItThenFailsForWantOfACursor) {
  SetLines({"CREATE TABLE MADE_BY_OPEN (A INTEGER)"});
  EXPECT_EQ(support::RaisedBy([&] { Query().Open(); }),
            (Raised{"EDatabaseError", "SQLQuery1: Cursor not returned from Query"}));
  EXPECT_FALSE(Query().Active());
  EXPECT_EQ(FirstValue("SELECT COUNT(*) AS N FROM RDB$RELATIONS WHERE RDB$RELATION_NAME = 'MADE_BY_OPEN'", "N"), "1");
}

TEST_F(QueryServer, ExecuteOfASelectRunsAndReleasesEverything) {
  SetLines({"SELECT * FROM RDB$DATABASE"});
  EXPECT_EQ(Query().ExecSQL(false), 0) << "a SELECT changes no row";
  EXPECT_EQ(Query().RowsAffected(), 0);
  EXPECT_FALSE(Query().Prepared());
  EXPECT_FALSE(Query().Active());
  Query().Open();  // the same text, prepared anew
  EXPECT_TRUE(Query().Active());
}

TEST_F(QueryServer, ExecuteAnswersTheRowsTheServerChanged) {
  Execute("CREATE TABLE COUNTED (A INTEGER)");
  Execute("INSERT INTO COUNTED VALUES (1)");
  Execute("INSERT INTO COUNTED SELECT A + 1 FROM COUNTED");
  SetLines({"UPDATE COUNTED SET A = A * 10"});
  EXPECT_EQ(Query().ExecSQL(false), 2);
  EXPECT_EQ(Query().ExecSQL(false), 2) << "the unchanged text runs again";
  EXPECT_EQ(FirstValue("SELECT SUM(A) AS S FROM COUNTED", "S"), "300");
}

TEST_F(QueryServer, ASyntaxErrorFailsAlikeFromOpenAndExecute) {
  SetLines({"SELEC * FROM RDB$DATABASE"});
  const Raised fromOpen = support::RaisedBy([&] { Query().Open(); });
  SetLines({"SELEC * FROM RDB$DATABASE"});
  const Raised fromExecute = support::RaisedBy([&] { Query().ExecSQL(false); });
  EXPECT_EQ(fromOpen, fromExecute);
  EXPECT_EQ(fromOpen.kind, "EDatabaseError");
  const std::string head = "Dbvance Error: [0x0065]: SQL Error\r\nSQL Server Error: ";
  EXPECT_EQ(fromOpen.text.substr(0, head.size()), head) << fromOpen.text;
  EXPECT_NE(fromOpen.text.find("Token unknown"), std::string::npos) << fromOpen.text;
  EXPECT_EQ(support::RaisedBy([&] {
              Query().Close();
              Query().ClearLines();
              Query().AddLine("SELECT * FROM RDB$DATABASE");
            }).kind,
            "nothing");
  Query().Open();
  EXPECT_TRUE(Query().Active());
}

TEST_F(QueryServer, ACreatedTableTakesAnIndexInTheNextExecute) {
  Execute("CREATE TABLE INDEXED (A INTEGER, B VARCHAR(10))");
  Execute("CREATE INDEX INDEXED_A ON INDEXED (A)");
  EXPECT_EQ(FirstValue("SELECT COUNT(*) AS N FROM RDB$INDICES WHERE RDB$INDEX_NAME = 'INDEXED_A'", "N"), "1");
}

TEST_F(QueryServer, AnAddedColumnCanBeUpdatedLater) {
  Execute("CREATE TABLE WIDENED (A INTEGER)");
  Execute("INSERT INTO WIDENED VALUES (1)");
  Execute("ALTER TABLE WIDENED ADD C VARCHAR(10)");
  Execute("UPDATE WIDENED SET C = 'filled'");
  EXPECT_EQ(FirstValue("SELECT C FROM WIDENED", "C"), "filled");
}

TEST_F(QueryServer, AFailedStatementBlocksNothingAfterIt) {
  Execute("CREATE TABLE TWICE (A INTEGER)");
  Execute("ALTER TABLE TWICE ADD C INTEGER");
  SetLines({"ALTER TABLE TWICE ADD C INTEGER"});
  EXPECT_EQ(support::RaisedBy([&] { Query().ExecSQL(false); }).kind, "EDatabaseError");
  Execute("INSERT INTO TWICE (A, C) VALUES (1, 2)");
  EXPECT_NE(Isql("SELECT 'sum=' || (A + C) FROM TWICE;").find("sum=3"), std::string::npos)
      << "the insert is committed and visible to another connection";
}

TEST_F(QueryServer, Big5TextReachesTheColumnUnchangedAndMakesNoParameter) {
  Execute("CREATE TABLE KINDS (C VARCHAR(10))");
  SetLines({"INSERT INTO KINDS (C) VALUES ('\xA4\x40\xAF\xEB')"});  // 一般
  EXPECT_TRUE(Query().Params().empty());
  EXPECT_EQ(Query().ExecSQL(false), 1);
  EXPECT_EQ(FirstValue("SELECT C FROM KINDS", "C"), "\xA4\x40\xAF\xEB");  // 一般
  EXPECT_NE(Isql("SELECT CAST(C AS VARCHAR(10) CHARACTER SET OCTETS) FROM KINDS;").find("A440AFEB"),
            std::string::npos);
}

}  // namespace
