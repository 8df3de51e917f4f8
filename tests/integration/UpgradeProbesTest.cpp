// The catalogue probes and guarded column additions against the real server.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>

#include "CatalogueProbes.h"
#include "Exceptions.h"
#include "ProgramConfig.h"
#include "QueryGuards.h"
#include "SampleDatabase.h"
#include "TextRules.h"
#include "UpgradeSession.h"

namespace {

using sample::SampleDatabase;
using sample::UpgradeSession;

class UpgradeProbes : public sample::ServerTest {
 protected:
  void SetUp() override {
    sample::ServerTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    database_.emplace("upgrade_probes", "no-update-hist");
    session_.emplace(database_->Target());
  }
  void TearDown() override {
    session_.reset();
    database_.reset();
  }
  TSQLQuery& Query() { return session_->Query(); }
  // The column as the catalogue describes it, with the format of its table
  // (which every ALTER raises).
  std::string Describe(const std::string& table, const std::string& column) const {
    return database_->Isql(
        "SELECT TRIM(RF.RDB$FIELD_NAME) || ' ' || F.RDB$FIELD_TYPE || ' ' || F.RDB$FIELD_LENGTH "
        "FROM RDB$RELATION_FIELDS RF JOIN RDB$FIELDS F ON F.RDB$FIELD_NAME = RF.RDB$FIELD_SOURCE "
        "WHERE RF.RDB$RELATION_NAME = '" + table + "' AND RF.RDB$FIELD_NAME = '" + column + "';\n"
        "SELECT 'format ' || RDB$FORMAT FROM RDB$RELATIONS WHERE RDB$RELATION_NAME = '" + table + "';");
  }

  std::optional<SampleDatabase> database_;
  std::optional<UpgradeSession> session_;
};

TEST_F(UpgradeProbes, TableProbeFindsTablesWhateverTheLetterCaseOfTheName) {
  struct Row {
    const char* table;
    bool missing;
  };
  const Row rows[] = {
      {"SAL_MASTER", false}, {"sal_master", false}, {"Sal_Master", false},
      {"UPDATE_HIST", true}, {"TEMP_BACC", true},   {"RDB$RELATIONS", false},
  };
  for (const Row& row : rows) EXPECT_EQ(QueryGuards(Query()).TableMissing(row.table), row.missing) << row.table;
}

TEST_F(UpgradeProbes, ColumnAdditionsAddWhatIsMissingWithTheGivenType) {
  // Field types of the catalogue: 37 VARCHAR, 27 DOUBLE PRECISION.
  struct Row {
    bool varchar;
    const char* table;
    const char* column;
    const char* width;
    const char* catalogueTable;
    std::string described;
  };
  const Row rows[] = {
      {true, "UPAY_MASTER", "ACC_YM", "7", "UPAY_MASTER", "ACC_YM 37 7\nformat 2\n"},
      {true, "mch_item", "tax_title", "100", "MCH_ITEM", "TAX_TITLE 37 100\nformat 2\n"},
      {false, "PROVIDER", "CENTER_AMTPERS", "", "PROVIDER", "CENTER_AMTPERS 27 8\nformat 2\n"},
      {false, "cpetition_sub", "Give_Qty", "", "CPETITION_SUB", "GIVE_QTY 27 8\nformat 2\n"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.column);
    const bool done = row.varchar ? QueryGuards(Query()).AddVarcharField(row.table, row.column, row.width)
                                  : QueryGuards(Query()).AddDoubleField(row.table, row.column);
    EXPECT_TRUE(done);
    EXPECT_EQ(Describe(row.catalogueTable, UpperCaseAscii(row.column)), row.described);
    // Asked again, the probe finds the column and nothing is altered.
    EXPECT_TRUE(row.varchar ? QueryGuards(Query()).AddVarcharField(row.table, row.column, row.width)
                            : QueryGuards(Query()).AddDoubleField(row.table, row.column));
    EXPECT_EQ(Describe(row.catalogueTable, UpperCaseAscii(row.column)), row.described);
  }
}

TEST_F(UpgradeProbes, AnExistingColumnKeepsItsOwnTypeAndWidth) {
  EXPECT_TRUE(QueryGuards(Query()).AddVarcharField("UPAY_MASTER", "REMARK", "5"));
  EXPECT_TRUE(QueryGuards(Query()).AddDoubleField("UPAY_MASTER", "UPAY_DATE"));
  EXPECT_EQ(Describe("UPAY_MASTER", "REMARK"), "REMARK 37 100\nformat 1\n");
  EXPECT_EQ(Describe("UPAY_MASTER", "UPAY_DATE"), "UPAY_DATE 37 10\nformat 1\n");
}

// A missing table is a difference of shape, skipped silently; a statement the
// server refuses for anything else leaves the guard as any failure does. The
// statement object goes on after either.
TEST_F(UpgradeProbes, OnlyAShapeDifferenceAnswersFalseAndTheStatementObjectGoesOn) {
  struct Row {
    const char* why;
    bool varchar;
    const char* table;
    const char* column;
    const char* width;
    bool skipped;  // false: the failure travels on
  };
  const Row rows[] = {
      {"no such table", true, "NO_SUCH_TABLE", "ITEM_UNIT", "10", true},
      {"no such table", false, "NO_SUCH_TABLE", "GIVE_QTY", "", true},
      {"width refused by the server", true, "UPAY_MASTER", "ACC_YM", "seven", false},
      {"name refused by the server", false, "UPAY_MASTER", "BAD-NAME", "", false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.why);
    const auto add = [&] {
      return row.varchar ? QueryGuards(Query()).AddVarcharField(row.table, row.column, row.width)
                         : QueryGuards(Query()).AddDoubleField(row.table, row.column);
    };
    if (row.skipped) {
      EXPECT_FALSE(add());
    } else {
      try {
        add();
        ADD_FAILURE() << "the refusal was absorbed";
      } catch (const EDatabaseError& error) {
        EXPECT_FALSE(error.ShapeDiffers() || error.ConnectionLost()) << error.message();
      }
    }
    EXPECT_FALSE(QueryGuards(Query()).TableMissing("UPAY_MASTER"));
  }
  EXPECT_EQ(Describe("UPAY_MASTER", "ACC_YM"), "format 1\n");
  // Nothing the failures left behind blocks a later change of the same table.
  EXPECT_TRUE(QueryGuards(Query()).AddVarcharField("UPAY_MASTER", "ACC_YM", "7"));
  EXPECT_EQ(Describe("UPAY_MASTER", "ACC_YM"), "ACC_YM 37 7\nformat 2\n");
}

// Every probe answers from everything committed before it, by this program
// or by another attachment, under each isolation level the connection file
// can name, although the connection keeps a transaction open for reading
// the catalogue where that still shows every committed change.
TEST_F(UpgradeProbes, ProbesSeeEveryChangeCommittedBeforeThemUnderEachIsolationLevel) {
  for (const std::string isolation : {"ReadCommited", "RepeatableRead", "DirtyRead"}) {
    SCOPED_TRACE(isolation);
    UpgradeSession session(database_->Target(), sample::ProgramConfig::RealDriver(), {.isolation = isolation});
    TSQLQuery& query = session.Query();
    const std::string ours = "OURS_" + UpperCaseAscii(isolation);
    const std::string theirs = "THEIRS_" + UpperCaseAscii(isolation);
    const auto byUs = [&](const std::string& statement) {
      query.Close();
      query.ClearLines();
      query.AddLine(statement);
      query.ExecSQL(false);
    };
    const auto byAnother = [&](const std::string& statement) {
      EXPECT_EQ(database_->Isql(statement + ";\nCOMMIT;"), "") << statement;
    };
    const auto columnMissing = [&](const std::string& table) {
      query.Close();
      query.ClearLines();
      for (const std::string& line : ColumnProbeLines(table, "QTY")) query.AddLine(line);
      query.Open();
      return query.FieldByName("RDB$FIELD_NAME").IsNull();
    };
    struct Case {
      const char* change;
      std::function<void()> make;
      std::function<bool()> missing;
    };
    const Case cases[] = {
        {"a table created by this program", [&] { byUs("CREATE TABLE " + ours + " (N INTEGER)"); },
         [&] { return QueryGuards(query).TableMissing(ours); }},
        {"a table created by another attachment", [&] { byAnother("CREATE TABLE " + theirs + " (N INTEGER)"); },
         [&] { return QueryGuards(query).TableMissing(theirs); }},
        {"a column added by this program", [&] { EXPECT_TRUE(QueryGuards(query).AddDoubleField(ours, "QTY")); },
         [&] { return columnMissing(ours); }},
        {"a column added by another attachment",
         [&] { byAnother("ALTER TABLE " + theirs + " ADD QTY DOUBLE PRECISION"); },
         [&] { return columnMissing(theirs); }},
        {"an index created by this program", [&] { byUs("CREATE INDEX " + ours + "_N ON " + ours + " (N)"); },
         [&] { return QueryGuards(query).IndexMissing(ours + "_N"); }},
        {"an index created by another attachment",
         [&] { byAnother("CREATE INDEX " + theirs + "_N ON " + theirs + " (N)"); },
         [&] { return QueryGuards(query).IndexMissing(theirs + "_N"); }},
    };
    for (const Case& c : cases) {
      EXPECT_TRUE(c.missing()) << "before " << c.change;
      c.make();
      EXPECT_FALSE(c.missing()) << "after " << c.change;
    }
  }
}

TEST_F(UpgradeProbes, TableProbeLetsAFailureOfTheServerThrough) {
  UpgradeSession nowhere(sample::firebirdServer().address(sample::firebirdServer().dataDir + "/no_such_database.fdb"));
  EXPECT_THROW(QueryGuards(nowhere.Query()).TableMissing("UPDATE_HIST"), EDatabaseError);
}

}  // namespace
