// Catalogue probes: their statement texts, the upper-casing of names, and
// which failures each of them lets through.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "CatalogueProbes.h"
#include "Exceptions.h"
#include "QueryGuards.h"
#include "SQLConnection.h"
#include "SQLQuery.h"
#include "TempDir.h"
#include "TextRules.h"
#include "UserSettings.h"

namespace {

TEST(UpgradeProbes, UpperCasingMapsOnlyAsciiLetters) {
  struct Row {
    std::string given;
    std::string expected;
  };
  const Row rows[] = {
      {"update_hist", "UPDATE_HIST"},
      {"Web_TopBoard_0", "WEB_TOPBOARD_0"},
      {"UPDATE_HIST", "UPDATE_HIST"},
      {"", ""},
      {"@[`{", "@[`{"},                            // the neighbours of A-Z and a-z
      {"\xE9t\xE9", "\xE9T\xE9"},                // Latin-1 é stays, t does not
      {"\xA4\x40\xAF\xEB", "\xA4\x40\xAF\xEB"},    // 一般 in Big5 stays
  };
  for (const Row& row : rows) EXPECT_EQ(UpperCaseAscii(row.given), row.expected) << row.given;
}

TEST(UpgradeProbes, ProbeLinesKeepTheirBlanksAndUpperCaseTheNames) {
  EXPECT_EQ(TableProbeLines("update_hist"),
            (std::vector<std::string>{"SELECT * FROM RDB$RELATIONS ",
                                      " WHERE RDB$RELATION_NAME = 'UPDATE_HIST'"}));
  EXPECT_EQ(ColumnProbeLines("Sal_Sub", "item_unit"),
            (std::vector<std::string>{"SELECT * FROM RDB$RELATION_FIELDS ",
                                      "WHERE RDB$RELATION_NAME = 'SAL_SUB'",
                                      "AND RDB$FIELD_NAME = 'ITEM_UNIT'"}));
}

TEST(UpgradeProbes, AlterStatementsUseTheNamesAsGiven) {
  struct Row {
    std::string sent;
    std::string expected;
  };
  const Row rows[] = {
      {AddVarcharStatement("UPAY_MASTER", "ACC_YM", "7"), "ALTER TABLE UPAY_MASTER ADD ACC_YM VARCHAR(7)"},
      {AddVarcharStatement("mch_item", "Tax_Title", "100"), "ALTER TABLE mch_item ADD Tax_Title VARCHAR(100)"},
      {AddDoubleStatement("PROVIDER", "CENTER_AMTPERS"),
       "ALTER TABLE PROVIDER ADD CENTER_AMTPERS Double Precision"},
      {AddDoubleStatement("cpetition_sub", "give_qty"), "ALTER TABLE cpetition_sub ADD give_qty Double Precision"},
  };
  for (const Row& row : rows) EXPECT_EQ(row.sent, row.expected);
}

// A statement object whose connection cannot open: no INI file exists, so the
// first Open fails before any driver is loaded.
class UnreachableDatabase : public ::testing::Test {
 protected:
  UnreachableDatabase() { query_.SetSQLConnection(&connection_); }
  std::string MissingFileMessage() const {
    return "Driver/Connection Registry File '" + folder_.PathOf("dbvconnections.ini") + "' not found";
  }

  support::TempDir folder_;
  support::ScopedUserSettings noSettings_;
  TSQLConnection connection_{"SQLConnection1", folder_.Path().string()};
  TSQLQuery query_{"SQLQuery1"};
};

// A connection that cannot open is no difference of the database's shape:
// the guarded additions let it through as the table probe does.
TEST_F(UnreachableDatabase, EveryProbeLetsTheFailureThroughAndKeepsItsText) {
  struct Row {
    const char* probe;
    std::function<void()> run;
    std::vector<std::string> lines;  // left in the statement object
  };
  const Row rows[] = {
      {"TableMissing", [&] { QueryGuards(query_).TableMissing("update_hist"); }, TableProbeLines("UPDATE_HIST")},
      {"AddVarcharField", [&] { QueryGuards(query_).AddVarcharField("UPAY_MASTER", "ACC_YM", "7"); },
       ColumnProbeLines("UPAY_MASTER", "ACC_YM")},
      {"AddDoubleField", [&] { QueryGuards(query_).AddDoubleField("PROVIDER", "CENTER_AMTPERS"); },
       ColumnProbeLines("PROVIDER", "CENTER_AMTPERS")},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.probe);
    try {
      row.run();
      ADD_FAILURE() << "the probe did not fail";
    } catch (const EDatabaseError& error) {
      EXPECT_EQ(error.message(), MissingFileMessage());
    }
    EXPECT_EQ(query_.Lines(), row.lines);
  }
}

}  // namespace
