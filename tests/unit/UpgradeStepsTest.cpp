// The upgrade's step list: order, guards and every statement text as the
// server receives it (lines joined with CR LF, each line ended by one).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "UpgradeScript.h"

namespace {

std::string Sent(const StatementLines& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

struct ColumnStepRow {
  int step;
  UpgradeAction action;
  const char* table;
  const char* column;
  const char* width;
};

const ColumnStepRow kColumnSteps[] = {
    {1, UpgradeAction::AddDoubleField, "CPETITION_SUB", "GIVE_QTY", ""},
    {2, UpgradeAction::AddDoubleField, "CPETITION_SUB", "PSALE_PRICE", ""},
    {3, UpgradeAction::AddDoubleField, "CPETITION_SUB", "V_GIVE_QTY", ""},
    {4, UpgradeAction::AddVarcharField, "UPAY_MASTER", "ACC_YM", "7"},
    {6, UpgradeAction::AddVarcharField, "ORDER_SUB", "ITEM_UNIT", "10"},
    {7, UpgradeAction::AddVarcharField, "SAL_SUB", "ITEM_UNIT", "10"},
    {8, UpgradeAction::AddVarcharField, "SALBK_SUB", "ITEM_UNIT", "10"},
    {9, UpgradeAction::AddVarcharField, "ORDER_MASTER", "BILL_KIND", "10"},
    {10, UpgradeAction::AddVarcharField, "SAL_MASTER", "BILL_KIND", "10"},
    {11, UpgradeAction::AddVarcharField, "SALBK_MASTER", "BILL_KIND", "10"},
    {12, UpgradeAction::AddVarcharField, "ORDER_SUB", "BILL_KIND", "10"},
    {13, UpgradeAction::AddVarcharField, "SAL_SUB", "BILL_KIND", "10"},
    {14, UpgradeAction::AddVarcharField, "SALBK_SUB", "BILL_KIND", "10"},
    {24, UpgradeAction::AddVarcharField, "BUYBILL_SUB", "ITEM_UNIT", "10"},
    {25, UpgradeAction::AddVarcharField, "INSTORAGE_SUB", "ITEM_UNIT", "10"},
    {26, UpgradeAction::AddVarcharField, "INSTORAGE_SUBTEMP", "ITEM_UNIT", "10"},
    {27, UpgradeAction::AddVarcharField, "INSTORAGEBK_SUB", "ITEM_UNIT", "10"},
    {28, UpgradeAction::AddVarcharField, "INSTORAGEBK_SUBTEMP", "ITEM_UNIT", "10"},
    {29, UpgradeAction::AddVarcharField, "BUYBILL_MASTER", "BILL_KIND", "10"},
    {30, UpgradeAction::AddVarcharField, "BUYBILL_SUB", "BILL_KIND", "10"},
    {34, UpgradeAction::AddVarcharField, "CUSTOMER", "PASS_WD", "10"},
    {35, UpgradeAction::AddVarcharField, "PROVIDER", "PASS_WD", "10"},
    {36, UpgradeAction::AddVarcharField, "MCH_ITEM", "TAX_TITLE", "100"},
    {37, UpgradeAction::AddVarcharField, "MCH_ITEM", "BUSINESS_NUM", "20"},
    {38, UpgradeAction::AddVarcharField, "MCH_ITEM", "TAX_NUM", "20"},
    {43, UpgradeAction::AddVarcharField, "INFOMATION", "SHOW_YN", "1"},
    {44, UpgradeAction::AddVarcharField, "PUB_PARAM", "INCHKUD", "1"},
    {45, UpgradeAction::AddVarcharField, "PUB_PARAM", "SALCHKUD", "1"},
    {46, UpgradeAction::AddDoubleField, "PROVIDER", "CENTER_AMTPERS", ""},
};

struct StatementStepRow {
  int step;
  UpgradeAction action;
  const char* guardTable;  // the table whose absence runs the statements
  std::vector<std::string> sent;
};

// "\xA4\x40\xAF\xEB" is 一般 in Big5.
const StatementStepRow kStatementSteps[] = {
    {5, UpgradeAction::CreateTable, "TEMP_BACC",
     {"CREATE TABLE TEMP_BACC ( \r\n BILL_DATE VARCHAR(10) NOT NULL, \r\n LAST_ID INTEGER,\r\n"
      " CHG_DATE VARCHAR(10),\r\n PRIMARY KEY(BILL_DATE) )\r\n"}},
    {15, UpgradeAction::Execute, "",
     {"UPDATE ORDER_MASTER SET BILL_KIND = '\xA4\x40\xAF\xEB' WHERE BILL_KIND IS NULL \r\n"}},
    {16, UpgradeAction::Execute, "",
     {"UPDATE ORDER_SUB SET BILL_KIND = '\xA4\x40\xAF\xEB' WHERE BILL_KIND IS NULL \r\n"}},
    {17, UpgradeAction::Execute, "",
     {"UPDATE SAL_MASTER SET BILL_KIND = '\xA4\x40\xAF\xEB' WHERE BILL_KIND IS NULL \r\n"}},
    {18, UpgradeAction::Execute, "",
     {"UPDATE SAL_SUB SET BILL_KIND = '\xA4\x40\xAF\xEB' WHERE BILL_KIND IS NULL \r\n"}},
    {19, UpgradeAction::Execute, "",
     {"UPDATE SALBK_MASTER SET BILL_KIND = '\xA4\x40\xAF\xEB' WHERE BILL_KIND IS NULL \r\n"}},
    {20, UpgradeAction::Execute, "",
     {"UPDATE SALBK_SUB SET BILL_KIND = '\xA4\x40\xAF\xEB' WHERE BILL_KIND IS NULL \r\n"}},
    {21, UpgradeAction::CreateTable, "WEB_RUNTITLE",
     {"CREATE TABLE WEB_RUNTITLE ( \r\n ID VARCHAR(2) NOT NULL ,\r\n TITLE VARCHAR(100), \r\n"
      " TITLE_URL VARCHAR(100),\r\n PRIMARY KEY (ID) ) \r\n"}},
    {22, UpgradeAction::CreateTable, "WEB_MAINBOARD",
     {"CREATE TABLE WEB_MAINBOARD ( \r\n PROD_ID VARCHAR(20) NOT NULL ,\r\n PROD_NAME VARCHAR(50) ) \r\n",
      "CREATE INDEX IDX_WEB_MAINBOARD ON WEB_MAINBOARD(PROD_ID)\r\n"}},
    {23, UpgradeAction::CreateTable, "WEB_TOPBOARD",
     {"CREATE TABLE WEB_TOPBOARD ( \r\n PROD_ID VARCHAR(20) NOT NULL ,\r\n PROD_NAME VARCHAR(50), \r\n"
      " TOP_ITEMID VARCHAR(10) \r\n  ) \r\n",
      "CREATE INDEX IDX_WEB_TOPBOARD_0 ON WEB_TOPBOARD(TOP_ITEMID)\r\n"}},
    {31, UpgradeAction::Execute, "",
     {"UPDATE BUYBILL_MASTER SET BILL_KIND='\xA4\x40\xAF\xEB' WHERE BILL_KIND IS NULL \r\n"}},
    {32, UpgradeAction::Execute, "",
     {"UPDATE BUYBILL_SUB SET BILL_KIND='\xA4\x40\xAF\xEB' WHERE BILL_KIND IS NULL \r\n"}},
    {33, UpgradeAction::CreateTable, "TEMP_CUSTID",
     {"CREATE TABLE TEMP_CUSTID( \r\n CUST_CLASSID Varchar(10) NOT NULL ,\r\n LAST_ID Integer, \r\n"
      " CHG_DATE Varchar(10) ,\r\n  PRIMARY KEY (CUST_CLASSID) \r\n)\r\n"}},
    {39, UpgradeAction::CreateTable, "X_DAYACC_MASTER2",
     {"CREATE TABLE X_DAYACC_MASTER2( \r\n SAL_DATE Varchar(10) NOT NULL, \r\n"
      " BEFORE_COST Double precision, \r\n INSTORAGE_AMT Double precision, \r\n"
      " INSTORAGEBK_AMT Double precision, \r\n SAL_COST Double precision, \r\n"
      " SALBK_COST Double precision, \r\n POS_COST Double precision, \r\n"
      " VOID_COST Double precision, \r\n NOW_COST Double precision, \r\n"
      " TRNIN_AMT Double precision, \r\n TRNOUT_AMT Double precision, \r\n DEP_NO Varchar(10), \r\n"
      " SUM_COST_STD Double precision, \r\n DIF_COST_STD Double precision, \r\n"
      " SUM_COST_AVG Double precision, \r\n DIF_COST_AVG Double precision, \r\n"
      " SUM_R_INCOST Double precision, \r\n SUM_R_INBKCOST Double precision, \r\n"
      " SUM_IN_DEFCOST Double precision, \r\n SUM_RNOW_COST Double precision, \r\n"
      " SUM_DIF_COST Double precision, \r\n SUM_CHG_COST Double precision, \r\n"
      " SUM_END_COST Double precision, \r\n CHG_DATE Varchar(10), \r\n PD_DEPID Varchar(10), \r\n"
      " PRIMARY KEY (SAL_DATE) \r\n)\r\n"}},
    {40, UpgradeAction::CreateTable, "X_DAYACC_SUB2",
     {"CREATE TABLE X_DAYACC_SUB2( \r\n  SAL_DATE Varchar(10) NOT NULL , \r\n"
      "  PD_TOPITEMID Varchar(10) NOT NULL , \r\n  PD_HIITEMID Varchar(10) NOT NULL , \r\n"
      "  PD_ITEMID Varchar(10) NOT NULL, \r\n  PROD_ID Varchar(20) NOT NULL , \r\n"
      "  PROD_NAME Varchar(50) , \r\n  BEFORE_COST Double precision, \r\n"
      "  INSTORAGE_AMT Double precision, \r\n  INSTORAGEBK_AMT Double precision, \r\n"
      "  SAL_COST Double precision, \r\n  SALBK_COST Double precision, \r\n"
      "  POS_COST Double precision, \r\n  VOID_COST Double precision, \r\n"
      "  NOW_COST Double precision, \r\n  PD_ITEMNAME Varchar(20) , \r\n"
      "  PD_HIITEMNAME Varchar(20), \r\n  PD_TOPITEMNAME Varchar(20) , \r\n"
      "  TRNIN_AMT Double precision, \r\n  TRNOUT_AMT Double precision, \r\n"
      "  R_INCOST Double precision, \r\n  R_INBKCOST Double precision, \r\n"
      "  IN_DEFCOST Double precision, \r\n  RNOW_COST Double precision, \r\n"
      "  DIF_COST Double precision, \r\n  CHG_COST Double precision, \r\n"
      "  END_COST Double precision, \r\n  CHG_DATE Varchar(10) , \r\n  PD_DEPID Varchar(10) \r\n)\r\n",
      "CREATE INDEX IX_DAYACC_SUB2_0 ON X_DAYACC_SUB2 (SAL_DATE)\r\n",
      "CREATE INDEX IX_DAYACC_SUB2_1 ON X_DAYACC_SUB2 (PROD_ID)\r\n"}},
    {41, UpgradeAction::CreateTable, "BAND_ITEM",
     {"CREATE TABLE BAND_ITEM ( \r\n BAND_ID VARCHAR(20) NOT NULL, \r\n BAND_NAME VARCHAR(50), \r\n"
      " CHG_DATE VARCHAR(10), \r\n CL_TIMES INT,\r\n PRIMARY KEY(BAND_ID) ) \r\n"}},
    {42, UpgradeAction::CreateTable, "PROD_BAND",
     {"CREATE TABLE PROD_BAND ( \r\n BAND_ID VARCHAR(20), \r\n PROD_ID VARCHAR(20), \r\n"
      " PROD_NAME VARCHAR(50) \r\n ) \r\n",
      "CREATE INDEX IDX_PD_BAND0 ON PROD_BAND(BAND_ID,PROD_ID)\r\n"}},
};

const UpgradeStep& Step(int number) { return UpgradeSteps().at(static_cast<std::size_t>(number - 1)); }

// Every statement a step may send, its indexes' included.
std::vector<StatementLines> AllStatements(const UpgradeStep& step) {
  std::vector<StatementLines> all;
  if (!step.statement.empty()) all.push_back(step.statement);
  for (const TableIndex& index : step.indexes) all.push_back(index.statement);
  return all;
}

TEST(UpgradeSteps, TheListHoldsFortySixStepsEachDescribedOnce) {
  ASSERT_EQ(UpgradeSteps().size(), 46u);
  std::vector<int> described;
  for (const ColumnStepRow& row : kColumnSteps) described.push_back(row.step);
  for (const StatementStepRow& row : kStatementSteps) described.push_back(row.step);
  std::sort(described.begin(), described.end());
  std::vector<int> all(46);
  for (int i = 0; i < 46; ++i) all[static_cast<std::size_t>(i)] = i + 1;
  EXPECT_EQ(described, all);
}

TEST(UpgradeSteps, ColumnAdditionsNameTheirTableColumnAndWidthAndSendNothingOfTheirOwn) {
  for (const ColumnStepRow& row : kColumnSteps) {
    SCOPED_TRACE("step " + std::to_string(row.step));
    const UpgradeStep& step = Step(row.step);
    EXPECT_EQ(step.action, row.action);
    EXPECT_EQ(step.table, row.table);
    EXPECT_EQ(step.column, row.column);
    EXPECT_EQ(step.width, row.width);
    EXPECT_TRUE(step.statement.empty());
  }
}

TEST(UpgradeSteps, StatementsReachTheServerCharacterForCharacter) {
  for (const StatementStepRow& row : kStatementSteps) {
    SCOPED_TRACE("step " + std::to_string(row.step));
    const UpgradeStep& step = Step(row.step);
    EXPECT_EQ(step.action, row.action);
    EXPECT_EQ(step.table, row.guardTable);
    std::vector<std::string> sent;
    for (const StatementLines& lines : AllStatements(step)) sent.push_back(Sent(lines));
    EXPECT_EQ(sent, row.sent);
  }
}

// A name that differs from the one its statement creates would be probed in
// vain and the index created again, failing, on every later run.
TEST(UpgradeSteps, EachIndexIsProbedByTheNameItsStatementCreatesOnItsStepsTable) {
  int indexes = 0;
  for (const UpgradeStep& step : UpgradeSteps()) {
    for (const TableIndex& index : step.indexes) {
      ++indexes;
      ASSERT_EQ(index.statement.size(), 1u) << index.name;
      EXPECT_EQ(index.statement.front().rfind("CREATE INDEX " + index.name + " ON " + step.table, 0), 0u)
          << index.statement.front();
    }
  }
  EXPECT_EQ(indexes, 5);
}

TEST(UpgradeSteps, NoStatementCarriesATerminatingSemicolonOrALineBreakInsideALine) {
  for (const UpgradeStep& step : UpgradeSteps()) {
    for (const StatementLines& lines : AllStatements(step)) {
      for (const std::string& line : lines) {
        EXPECT_EQ(line.find_first_of(";\r\n"), std::string::npos) << line;
      }
    }
  }
}

TEST(UpgradeSteps, OnlyTheBackfillsCarryBytesAboveAsciiAndThoseAreTheBig5BillKind) {
  const std::string generalBillKind = "'\xA4\x40\xAF\xEB'";  // 一般
  int backfills = 0;
  for (const UpgradeStep& step : UpgradeSteps()) {
    for (const StatementLines& lines : AllStatements(step)) {
      for (const std::string& line : lines) {
        std::string rest = line;
        const std::size_t at = rest.find(generalBillKind);
        if (at != std::string::npos) {
          ++backfills;
          rest.erase(at, generalBillKind.size());
        }
        for (unsigned char c : rest) EXPECT_LT(c, 0x80) << line;
      }
    }
  }
  EXPECT_EQ(backfills, 8);
}

}  // namespace
