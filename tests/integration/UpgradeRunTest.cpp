// The upgrade run against the real server through the real driver: what a
// full run leaves, what a second run leaves alone, and how it ends on
// databases that lack some of the tables it visits.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "QueryGuards.h"
#include "Exceptions.h"
#include "SampleDatabase.h"
#include "UpgradeScript.h"
#include "UpgradeSession.h"

namespace {

using sample::SampleDatabase;
using sample::UpgradeSession;

// What the program does after its gate has passed, on a connection of its own.
void RunUpgrade(const SampleDatabase& database) {
  UpgradeSession session(database.Target());
  ASSERT_FALSE(QueryGuards(session.Query()).TableMissing("UPDATE_HIST"));
  QueryGuards guards(session.Query());
  UpgradeScript(session.Query(), guards);
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

bool Has(const std::string& snapshot, const std::string& line) {
  for (const std::string& l : Lines(snapshot)) {
    if (l == line) return true;
  }
  return false;
}

// Lines that begin with prefix.
std::vector<std::string> Starting(const std::string& snapshot, const std::string& prefix) {
  std::vector<std::string> found;
  for (const std::string& l : Lines(snapshot)) {
    if (l.rfind(prefix, 0) == 0) found.push_back(l);
  }
  return found;
}

// isql-fb's columns with one blank between them, and no blank before the first.
std::string Squeezed(const std::string& rows) {
  std::string squeezed;
  for (char c : rows) {
    const bool blank = c == ' ' || c == '\t';
    if (blank && (squeezed.empty() || squeezed.back() == ' ' || squeezed.back() == '\n')) continue;
    squeezed += blank ? ' ' : c;
  }
  return squeezed;
}

const char* const kBillKindTables[] = {"ORDER_MASTER", "ORDER_SUB",      "SAL_MASTER",     "SAL_SUB",
                                       "SALBK_MASTER", "SALBK_SUB",      "BUYBILL_MASTER", "BUYBILL_SUB"};

class UpgradeRun : public sample::ServerTest {};

TEST_F(UpgradeRun, FullRunLeavesTheDatabaseExactlyAsTheUpgradedSample) {
  SampleDatabase database("upgrade_full", "full");
  SampleDatabase upgraded("upgrade_expected", "upgraded");
  RunUpgrade(database);
  EXPECT_EQ(database.Snapshot(), upgraded.Snapshot());
}

TEST_F(UpgradeRun, FullRunCreatesEveryTableWithItsColumnsKeyAndIndexes) {
  struct NewTable {
    std::string name;
    std::vector<std::string> columns;  // in order
    std::vector<std::string> keys;     // primary key and index lines
  };
  const std::string d = " DOUBLE PRECISION";
  const std::vector<NewTable> tables = {
      {"TEMP_BACC", {"BILL_DATE VARCHAR(10) NOT NULL", "LAST_ID INTEGER", "CHG_DATE VARCHAR(10)"},
       {"PRIMARY KEY TEMP_BACC (BILL_DATE)"}},
      {"WEB_RUNTITLE", {"ID VARCHAR(2) NOT NULL", "TITLE VARCHAR(100)", "TITLE_URL VARCHAR(100)"},
       {"PRIMARY KEY WEB_RUNTITLE (ID)"}},
      {"WEB_MAINBOARD", {"PROD_ID VARCHAR(20) NOT NULL", "PROD_NAME VARCHAR(50)"},
       {"INDEX IDX_WEB_MAINBOARD ON WEB_MAINBOARD (PROD_ID)"}},
      {"WEB_TOPBOARD", {"PROD_ID VARCHAR(20) NOT NULL", "PROD_NAME VARCHAR(50)", "TOP_ITEMID VARCHAR(10)"},
       {"INDEX IDX_WEB_TOPBOARD_0 ON WEB_TOPBOARD (TOP_ITEMID)"}},
      {"TEMP_CUSTID", {"CUST_CLASSID VARCHAR(10) NOT NULL", "LAST_ID INTEGER", "CHG_DATE VARCHAR(10)"},
       {"PRIMARY KEY TEMP_CUSTID (CUST_CLASSID)"}},
      {"X_DAYACC_MASTER2",
       {"SAL_DATE VARCHAR(10) NOT NULL", "BEFORE_COST" + d, "INSTORAGE_AMT" + d, "INSTORAGEBK_AMT" + d,
        "SAL_COST" + d, "SALBK_COST" + d, "POS_COST" + d, "VOID_COST" + d, "NOW_COST" + d, "TRNIN_AMT" + d,
        "TRNOUT_AMT" + d, "DEP_NO VARCHAR(10)", "SUM_COST_STD" + d, "DIF_COST_STD" + d, "SUM_COST_AVG" + d,
        "DIF_COST_AVG" + d, "SUM_R_INCOST" + d, "SUM_R_INBKCOST" + d, "SUM_IN_DEFCOST" + d, "SUM_RNOW_COST" + d,
        "SUM_DIF_COST" + d, "SUM_CHG_COST" + d, "SUM_END_COST" + d, "CHG_DATE VARCHAR(10)", "PD_DEPID VARCHAR(10)"},
       {"PRIMARY KEY X_DAYACC_MASTER2 (SAL_DATE)"}},
      {"X_DAYACC_SUB2",
       {"SAL_DATE VARCHAR(10) NOT NULL", "PD_TOPITEMID VARCHAR(10) NOT NULL", "PD_HIITEMID VARCHAR(10) NOT NULL",
        "PD_ITEMID VARCHAR(10) NOT NULL", "PROD_ID VARCHAR(20) NOT NULL", "PROD_NAME VARCHAR(50)", "BEFORE_COST" + d,
        "INSTORAGE_AMT" + d, "INSTORAGEBK_AMT" + d, "SAL_COST" + d, "SALBK_COST" + d, "POS_COST" + d,
        "VOID_COST" + d, "NOW_COST" + d, "PD_ITEMNAME VARCHAR(20)", "PD_HIITEMNAME VARCHAR(20)",
        "PD_TOPITEMNAME VARCHAR(20)", "TRNIN_AMT" + d, "TRNOUT_AMT" + d, "R_INCOST" + d, "R_INBKCOST" + d,
        "IN_DEFCOST" + d, "RNOW_COST" + d, "DIF_COST" + d, "CHG_COST" + d, "END_COST" + d, "CHG_DATE VARCHAR(10)",
        "PD_DEPID VARCHAR(10)"},
       {"INDEX IX_DAYACC_SUB2_0 ON X_DAYACC_SUB2 (SAL_DATE)", "INDEX IX_DAYACC_SUB2_1 ON X_DAYACC_SUB2 (PROD_ID)"}},
      {"BAND_ITEM",
       {"BAND_ID VARCHAR(20) NOT NULL", "BAND_NAME VARCHAR(50)", "CHG_DATE VARCHAR(10)", "CL_TIMES INTEGER"},
       {"PRIMARY KEY BAND_ITEM (BAND_ID)"}},
      {"PROD_BAND", {"BAND_ID VARCHAR(20)", "PROD_ID VARCHAR(20)", "PROD_NAME VARCHAR(50)"},
       {"INDEX IDX_PD_BAND0 ON PROD_BAND (BAND_ID,PROD_ID)"}},
  };
  SampleDatabase database("upgrade_tables", "full");
  RunUpgrade(database);
  const std::string snapshot = database.Snapshot();
  for (const NewTable& table : tables) {
    SCOPED_TRACE(table.name);
    EXPECT_TRUE(Has(snapshot, "TABLE " + table.name));
    std::vector<std::string> expected;
    for (std::size_t i = 0; i < table.columns.size(); ++i) {
      expected.push_back(table.name + "." + table.columns[i] + " @" + std::to_string(i));
    }
    std::vector<std::string> columns;
    for (const std::string& line : Starting(snapshot, "COLUMN " + table.name + ".")) columns.push_back(line.substr(7));
    std::sort(columns.begin(), columns.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(columns, expected);
    std::vector<std::string> keys = Starting(snapshot, "PRIMARY KEY " + table.name + " ");
    for (const std::string& line : Starting(snapshot, "INDEX ")) {
      if (line.find(" ON " + table.name + " ") != std::string::npos) keys.push_back(line);
    }
    EXPECT_EQ(std::set<std::string>(keys.begin(), keys.end()),
              std::set<std::string>(table.keys.begin(), table.keys.end()));
  }
}

TEST_F(UpgradeRun, FullRunAddsEveryColumnWithItsTypeAndWidth) {
  struct Added {
    const char* column;
    const char* type;
    std::vector<std::string> tables;
  };
  const Added added[] = {
      {"GIVE_QTY", "DOUBLE PRECISION", {"CPETITION_SUB"}},
      {"PSALE_PRICE", "DOUBLE PRECISION", {"CPETITION_SUB"}},
      {"V_GIVE_QTY", "DOUBLE PRECISION", {"CPETITION_SUB"}},
      {"ACC_YM", "VARCHAR(7)", {"UPAY_MASTER"}},
      {"ITEM_UNIT", "VARCHAR(10)",
       {"ORDER_SUB", "SAL_SUB", "SALBK_SUB", "BUYBILL_SUB", "INSTORAGE_SUB", "INSTORAGE_SUBTEMP", "INSTORAGEBK_SUB",
        "INSTORAGEBK_SUBTEMP"}},
      {"BILL_KIND", "VARCHAR(10)",
       {"ORDER_MASTER", "SAL_MASTER", "SALBK_MASTER", "ORDER_SUB", "SAL_SUB", "SALBK_SUB", "BUYBILL_MASTER",
        "BUYBILL_SUB"}},
      {"PASS_WD", "VARCHAR(10)", {"CUSTOMER", "PROVIDER"}},
      {"TAX_TITLE", "VARCHAR(100)", {"MCH_ITEM"}},
      {"BUSINESS_NUM", "VARCHAR(20)", {"MCH_ITEM"}},
      {"TAX_NUM", "VARCHAR(20)", {"MCH_ITEM"}},
      {"SHOW_YN", "VARCHAR(1)", {"INFOMATION"}},
      {"INCHKUD", "VARCHAR(1)", {"PUB_PARAM"}},
      {"SALCHKUD", "VARCHAR(1)", {"PUB_PARAM"}},
      {"CENTER_AMTPERS", "DOUBLE PRECISION", {"PROVIDER"}},
  };
  SampleDatabase database("upgrade_columns", "full");
  RunUpgrade(database);
  const std::string snapshot = database.Snapshot();
  for (const Added& column : added) {
    for (const std::string& table : column.tables) {
      const std::vector<std::string> found = Starting(snapshot, "COLUMN " + table + "." + column.column + " ");
      ASSERT_EQ(found.size(), 1u) << table << "." << column.column;
      EXPECT_EQ(found[0].substr(0, found[0].rfind(" @")),
                "COLUMN " + table + "." + column.column + " " + column.type);
    }
  }
}

TEST_F(UpgradeRun, BackfillStoresTheBig5BytesAndLeavesRowsThatHadABillKind) {
  SampleDatabase database("upgrade_backfill", "full");
  // SAL_MASTER is filled by an early step, BUYBILL_SUB by a late one.
  ASSERT_EQ(database.Isql(
      "ALTER TABLE SAL_MASTER ADD BILL_KIND VARCHAR(10);\nALTER TABLE BUYBILL_SUB ADD BILL_KIND VARCHAR(10);\n"
      "COMMIT;\nUPDATE SAL_MASTER SET BILL_KIND = 'SPECIAL' WHERE MOD(CAST(SUBSTRING(BILL_ID FROM 2) AS INTEGER), 3) = 0;\n"
      "UPDATE BUYBILL_SUB SET BILL_KIND = 'SPECIAL' WHERE SEQ_NO = 2;\nCOMMIT;"),
            "");
  RunUpgrade(database);
  const char* const kGeneralHex = "A440AFEB";      // 一般 in Big5
  const char* const kSpecialHex = "5350454349414C";  // SPECIAL
  std::string expectedSal;
  for (int i = 1; i <= 20; ++i) {
    expectedSal += "S" + std::string(8 - std::to_string(i).size(), '0') + std::to_string(i) + " " +
                   (i % 3 == 0 ? kSpecialHex : kGeneralHex) + "\n";
  }
  // Octets are printed as hex; joined to other text they would turn it all to hex.
  EXPECT_EQ(Squeezed(database.Isql("SELECT BILL_ID, CAST(BILL_KIND AS VARCHAR(10) CHARACTER SET OCTETS) "
                                   "FROM SAL_MASTER ORDER BY BILL_ID;")),
            expectedSal);
  EXPECT_EQ(Squeezed(database.Isql("SELECT SEQ_NO, CAST(BILL_KIND AS VARCHAR(10) CHARACTER SET OCTETS), COUNT(*) "
                                   "FROM BUYBILL_SUB GROUP BY SEQ_NO, BILL_KIND ORDER BY SEQ_NO;")),
            std::string("1 ") + kGeneralHex + " 10\n2 " + kSpecialHex + " 10\n");
  const std::string snapshot = database.Snapshot();
  for (const char* table : kBillKindTables) {
    if (std::string(table) == "SAL_MASTER" || std::string(table) == "BUYBILL_SUB") continue;
    EXPECT_TRUE(Has(snapshot, "ROWS " + std::string(table) + " 20 20")) << table;
  }
}

// Record versions change when a row is rewritten, the format of a table when
// it is altered: both stay as they were when nothing was written.
std::string WriteMarks(const SampleDatabase& database) {
  std::string sql =
      "SELECT TRIM(RDB$RELATION_NAME) || ' format ' || RDB$FORMAT FROM RDB$RELATIONS "
      "WHERE RDB$SYSTEM_FLAG = 0 ORDER BY 1;\n";
  for (const char* table : kBillKindTables) {
    sql += "SELECT '" + std::string(table) + " version ' || MAX(RDB$RECORD_VERSION) FROM " + table + ";\n";
  }
  return database.Snapshot() + database.Isql(sql);
}

TEST_F(UpgradeRun, SecondRunCreatesAltersAndRewritesNothing) {
  SampleDatabase database("upgrade_again", "full");
  RunUpgrade(database);
  const std::string afterFirst = WriteMarks(database);
  ASSERT_NE(afterFirst.find("SAL_MASTER version "), std::string::npos) << afterFirst;
  RunUpgrade(database);
  EXPECT_EQ(WriteMarks(database), afterFirst);
}

TEST_F(UpgradeRun, RunOnAnUpgradedSampleChangesNothing) {
  SampleDatabase database("upgrade_noop", "upgraded");
  const std::string before = WriteMarks(database);
  RunUpgrade(database);
  EXPECT_EQ(WriteMarks(database), before);
}

TEST_F(UpgradeRun, TablesOnlyColumnAdditionsVisitMayBeMissing) {
  SampleDatabase database("upgrade_optional", "no-optional-tables");
  SampleDatabase upgraded("upgrade_optional_expected", "no-optional-tables,upgraded");
  RunUpgrade(database);
  EXPECT_EQ(database.Snapshot(), upgraded.Snapshot());
}

// WEB_TOPBOARD as an older release (or a hand) made it, without TOP_ITEMID:
// the table is found present, and the index it lacks cannot be made on it.
// That is a difference of shape: the index is skipped and every step after
// it runs, in this run and every later one.
TEST_F(UpgradeRun, AnIndexATableOfAnotherShapeCannotTakeIsSkippedAndTheRunGoesOn) {
  SampleDatabase database("upgrade_other_shape", "full");
  ASSERT_EQ(database.Isql("CREATE TABLE WEB_TOPBOARD (PROD_ID VARCHAR(20) NOT NULL, PROD_NAME VARCHAR(50));\n"
                          "COMMIT;"),
            "");
  SampleDatabase upgraded("upgrade_other_shape_expected", "upgraded");
  const auto withoutTopboard = [](const std::string& snapshot) {
    std::string kept;
    for (const std::string& line : Lines(snapshot)) {
      if (line.find("WEB_TOPBOARD") == std::string::npos) kept += line + "\n";
    }
    return kept;
  };
  for (const char* run : {"first run", "second run"}) {
    SCOPED_TRACE(run);
    RunUpgrade(database);
    const std::string snapshot = database.Snapshot();
    EXPECT_EQ(withoutTopboard(snapshot), withoutTopboard(upgraded.Snapshot()));
    EXPECT_EQ(Starting(snapshot, "COLUMN WEB_TOPBOARD."),
              (std::vector<std::string>{"COLUMN WEB_TOPBOARD.PROD_ID VARCHAR(20) NOT NULL @0",
                                        "COLUMN WEB_TOPBOARD.PROD_NAME VARCHAR(50) @1"}));
    EXPECT_FALSE(Has(snapshot, "INDEX IDX_WEB_TOPBOARD_0 ON WEB_TOPBOARD (TOP_ITEMID)"));
  }
}

TEST_F(UpgradeRun, MissingBuybillMasterStopsTheRunAtItsBackfillKeepingWhatRanBefore) {
  SampleDatabase database("upgrade_nobuybill", "no-buybill-master");
  {
    UpgradeSession session(database.Target());
    ASSERT_FALSE(QueryGuards(session.Query()).TableMissing("UPDATE_HIST"));
    QueryGuards guards(session.Query());
    try {
      UpgradeScript(session.Query(), guards);
      FAIL() << "the run did not fail";
    } catch (const EDatabaseError& error) {
      const std::string prefix = "Dbvance Error: [0x0065]: SQL Error\r\nSQL Server Error: ";
      EXPECT_EQ(error.message().substr(0, prefix.size()), prefix);
      EXPECT_NE(error.message().find("BUYBILL_MASTER"), std::string::npos) << error.message();
    }
  }
  const std::string snapshot = database.Snapshot();
  // Steps 1 to 30 are committed ...
  for (const char* line : {"TABLE TEMP_BACC", "TABLE WEB_RUNTITLE", "TABLE WEB_MAINBOARD", "TABLE WEB_TOPBOARD",
                           "INDEX IDX_WEB_TOPBOARD_0 ON WEB_TOPBOARD (TOP_ITEMID)", "ROWS ORDER_MASTER 20 20",
                           "ROWS SALBK_SUB 20 20", "ROWS BUYBILL_SUB 20 0"}) {
    EXPECT_TRUE(Has(snapshot, line)) << line;
  }
  EXPECT_EQ(Starting(snapshot, "COLUMN INSTORAGEBK_SUBTEMP.ITEM_UNIT VARCHAR(10)").size(), 1u);
  EXPECT_EQ(Starting(snapshot, "COLUMN BUYBILL_SUB.BILL_KIND VARCHAR(10)").size(), 1u);
  // ... and steps 32 to 46 never ran.
  for (const char* line : {"TABLE TEMP_CUSTID", "TABLE X_DAYACC_MASTER2", "TABLE X_DAYACC_SUB2", "TABLE BAND_ITEM",
                           "TABLE PROD_BAND"}) {
    EXPECT_FALSE(Has(snapshot, line)) << line;
  }
  for (const char* column : {"CUSTOMER.PASS_WD", "PROVIDER.PASS_WD", "MCH_ITEM.TAX_TITLE", "INFOMATION.SHOW_YN",
                             "PUB_PARAM.SALCHKUD", "PROVIDER.CENTER_AMTPERS"}) {
    EXPECT_TRUE(Starting(snapshot, "COLUMN " + std::string(column) + " ").empty()) << column;
  }

  // Once the table is there, a later run completes the upgrade.
  ASSERT_EQ(database.Isql(
      "CREATE TABLE BUYBILL_MASTER (BILL_ID VARCHAR(20) NOT NULL PRIMARY KEY, BILL_DATE VARCHAR(10));\nCOMMIT;\n"
      "INSERT INTO BUYBILL_MASTER VALUES ('B00000001', '2023-01-02');\n"
      "INSERT INTO BUYBILL_MASTER VALUES ('B00000002', '2023-01-03');\nCOMMIT;"),
            "");
  RunUpgrade(database);
  SampleDatabase upgraded("upgrade_nobuybill_expected", "no-buybill-master,upgraded");
  std::string withoutBuybillMaster;
  std::vector<std::string> buybillMaster;
  for (const std::string& line : Lines(database.Snapshot())) {
    if (line.find("BUYBILL_MASTER") == std::string::npos) {
      withoutBuybillMaster += line + "\n";
    } else {
      buybillMaster.push_back(line);
    }
  }
  EXPECT_EQ(withoutBuybillMaster, upgraded.Snapshot());
  EXPECT_EQ(buybillMaster, (std::vector<std::string>{"COLUMN BUYBILL_MASTER.BILL_DATE VARCHAR(10) @1",
                                                     "COLUMN BUYBILL_MASTER.BILL_ID VARCHAR(20) NOT NULL @0",
                                                     "COLUMN BUYBILL_MASTER.BILL_KIND VARCHAR(10) @2",
                                                     "PRIMARY KEY BUYBILL_MASTER (BILL_ID)", "TABLE BUYBILL_MASTER",
                                                     "ROWS BUYBILL_MASTER 2 2"}));
}

}  // namespace
