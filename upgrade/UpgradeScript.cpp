#include "UpgradeScript.h"

#include "QueryGuards.h"
#include "StatementLines.h"

namespace {

UpgradeStep AddDouble(std::string table, std::string column) {
  return {UpgradeAction::AddDoubleField, std::move(table), std::move(column), {}, {}, {}};
}

UpgradeStep AddVarchar(std::string table, std::string column, std::string width) {
  return {UpgradeAction::AddVarcharField, std::move(table), std::move(column), std::move(width), {}, {}};
}

UpgradeStep Execute(std::string line) {
  return {UpgradeAction::Execute, {}, {}, {}, {std::move(line)}, {}};
}

UpgradeStep CreateTable(std::string table, StatementLines create, std::vector<TableIndex> indexes = {}) {
  return {UpgradeAction::CreateTable, std::move(table), {}, {}, std::move(create), std::move(indexes)};
}

// The texts go to the server byte for byte: blanks, letter case and line
// splits included. The bill kind literal is Big5 and must not be converted.
std::vector<UpgradeStep> BuildSteps() {
  return {
      AddDouble("CPETITION_SUB", "GIVE_QTY"),
      AddDouble("CPETITION_SUB", "PSALE_PRICE"),
      AddDouble("CPETITION_SUB", "V_GIVE_QTY"),
      AddVarchar("UPAY_MASTER", "ACC_YM", "7"),
      CreateTable("TEMP_BACC", {"CREATE TABLE TEMP_BACC ( ",
                                " BILL_DATE VARCHAR(10) NOT NULL, ",
                                " LAST_ID INTEGER,",
                                " CHG_DATE VARCHAR(10),",
                                " PRIMARY KEY(BILL_DATE) )"}),
      AddVarchar("ORDER_SUB", "ITEM_UNIT", "10"),
      AddVarchar("SAL_SUB", "ITEM_UNIT", "10"),
      AddVarchar("SALBK_SUB", "ITEM_UNIT", "10"),
      AddVarchar("ORDER_MASTER", "BILL_KIND", "10"),
      AddVarchar("SAL_MASTER", "BILL_KIND", "10"),
      AddVarchar("SALBK_MASTER", "BILL_KIND", "10"),
      AddVarchar("ORDER_SUB", "BILL_KIND", "10"),
      AddVarchar("SAL_SUB", "BILL_KIND", "10"),
      AddVarchar("SALBK_SUB", "BILL_KIND", "10"),
      Execute("UPDATE ORDER_MASTER SET BILL_KIND = '\xA4\x40\xAF\xEB' WHERE BILL_KIND IS NULL "),  // 一般
      Execute("UPDATE ORDER_SUB SET BILL_KIND = '\xA4\x40\xAF\xEB' WHERE BILL_KIND IS NULL "),  // 一般
      Execute("UPDATE SAL_MASTER SET BILL_KIND = '\xA4\x40\xAF\xEB' WHERE BILL_KIND IS NULL "),  // 一般
      Execute("UPDATE SAL_SUB SET BILL_KIND = '\xA4\x40\xAF\xEB' WHERE BILL_KIND IS NULL "),  // 一般
      Execute("UPDATE SALBK_MASTER SET BILL_KIND = '\xA4\x40\xAF\xEB' WHERE BILL_KIND IS NULL "),  // 一般
      Execute("UPDATE SALBK_SUB SET BILL_KIND = '\xA4\x40\xAF\xEB' WHERE BILL_KIND IS NULL "),  // 一般
      CreateTable("WEB_RUNTITLE", {"CREATE TABLE WEB_RUNTITLE ( ",
                                   " ID VARCHAR(2) NOT NULL ,",
                                   " TITLE VARCHAR(100), ",
                                   " TITLE_URL VARCHAR(100),",
                                   " PRIMARY KEY (ID) ) "}),
      CreateTable("WEB_MAINBOARD", {"CREATE TABLE WEB_MAINBOARD ( ",
                                    " PROD_ID VARCHAR(20) NOT NULL ,",
                                    " PROD_NAME VARCHAR(50) ) "},
                  {{"IDX_WEB_MAINBOARD", {"CREATE INDEX IDX_WEB_MAINBOARD ON WEB_MAINBOARD(PROD_ID)"}}}),
      CreateTable("WEB_TOPBOARD", {"CREATE TABLE WEB_TOPBOARD ( ",
                                   " PROD_ID VARCHAR(20) NOT NULL ,",
                                   " PROD_NAME VARCHAR(50), ",
                                   " TOP_ITEMID VARCHAR(10) ",
                                   "  ) "},
                  {{"IDX_WEB_TOPBOARD_0", {"CREATE INDEX IDX_WEB_TOPBOARD_0 ON WEB_TOPBOARD(TOP_ITEMID)"}}}),
      AddVarchar("BUYBILL_SUB", "ITEM_UNIT", "10"),
      AddVarchar("INSTORAGE_SUB", "ITEM_UNIT", "10"),
      AddVarchar("INSTORAGE_SUBTEMP", "ITEM_UNIT", "10"),
      AddVarchar("INSTORAGEBK_SUB", "ITEM_UNIT", "10"),
      AddVarchar("INSTORAGEBK_SUBTEMP", "ITEM_UNIT", "10"),
      AddVarchar("BUYBILL_MASTER", "BILL_KIND", "10"),
      AddVarchar("BUYBILL_SUB", "BILL_KIND", "10"),
      Execute("UPDATE BUYBILL_MASTER SET BILL_KIND='\xA4\x40\xAF\xEB' WHERE BILL_KIND IS NULL "),  // 一般
      Execute("UPDATE BUYBILL_SUB SET BILL_KIND='\xA4\x40\xAF\xEB' WHERE BILL_KIND IS NULL "),  // 一般
      CreateTable("TEMP_CUSTID", {"CREATE TABLE TEMP_CUSTID( ",
                                  " CUST_CLASSID Varchar(10) NOT NULL ,",
                                  " LAST_ID Integer, ",
                                  " CHG_DATE Varchar(10) ,",
                                  "  PRIMARY KEY (CUST_CLASSID) ",
                                  ")"}),
      AddVarchar("CUSTOMER", "PASS_WD", "10"),
      AddVarchar("PROVIDER", "PASS_WD", "10"),
      AddVarchar("MCH_ITEM", "TAX_TITLE", "100"),
      AddVarchar("MCH_ITEM", "BUSINESS_NUM", "20"),
      AddVarchar("MCH_ITEM", "TAX_NUM", "20"),
      CreateTable("X_DAYACC_MASTER2", {"CREATE TABLE X_DAYACC_MASTER2( ",
                                       " SAL_DATE Varchar(10) NOT NULL, ",
                                       " BEFORE_COST Double precision, ",
                                       " INSTORAGE_AMT Double precision, ",
                                       " INSTORAGEBK_AMT Double precision, ",
                                       " SAL_COST Double precision, ",
                                       " SALBK_COST Double precision, ",
                                       " POS_COST Double precision, ",
                                       " VOID_COST Double precision, ",
                                       " NOW_COST Double precision, ",
                                       " TRNIN_AMT Double precision, ",
                                       " TRNOUT_AMT Double precision, ",
                                       " DEP_NO Varchar(10), ",
                                       " SUM_COST_STD Double precision, ",
                                       " DIF_COST_STD Double precision, ",
                                       " SUM_COST_AVG Double precision, ",
                                       " DIF_COST_AVG Double precision, ",
                                       " SUM_R_INCOST Double precision, ",
                                       " SUM_R_INBKCOST Double precision, ",
                                       " SUM_IN_DEFCOST Double precision, ",
                                       " SUM_RNOW_COST Double precision, ",
                                       " SUM_DIF_COST Double precision, ",
                                       " SUM_CHG_COST Double precision, ",
                                       " SUM_END_COST Double precision, ",
                                       " CHG_DATE Varchar(10), ",
                                       " PD_DEPID Varchar(10), ",
                                       " PRIMARY KEY (SAL_DATE) ",
                                       ")"}),
      CreateTable("X_DAYACC_SUB2", {"CREATE TABLE X_DAYACC_SUB2( ",
                                    "  SAL_DATE Varchar(10) NOT NULL , ",
                                    "  PD_TOPITEMID Varchar(10) NOT NULL , ",
                                    "  PD_HIITEMID Varchar(10) NOT NULL , ",
                                    "  PD_ITEMID Varchar(10) NOT NULL, ",
                                    "  PROD_ID Varchar(20) NOT NULL , ",
                                    "  PROD_NAME Varchar(50) , ",
                                    "  BEFORE_COST Double precision, ",
                                    "  INSTORAGE_AMT Double precision, ",
                                    "  INSTORAGEBK_AMT Double precision, ",
                                    "  SAL_COST Double precision, ",
                                    "  SALBK_COST Double precision, ",
                                    "  POS_COST Double precision, ",
                                    "  VOID_COST Double precision, ",
                                    "  NOW_COST Double precision, ",
                                    "  PD_ITEMNAME Varchar(20) , ",
                                    "  PD_HIITEMNAME Varchar(20), ",
                                    "  PD_TOPITEMNAME Varchar(20) , ",
                                    "  TRNIN_AMT Double precision, ",
                                    "  TRNOUT_AMT Double precision, ",
                                    "  R_INCOST Double precision, ",
                                    "  R_INBKCOST Double precision, ",
                                    "  IN_DEFCOST Double precision, ",
                                    "  RNOW_COST Double precision, ",
                                    "  DIF_COST Double precision, ",
                                    "  CHG_COST Double precision, ",
                                    "  END_COST Double precision, ",
                                    "  CHG_DATE Varchar(10) , ",
                                    "  PD_DEPID Varchar(10) ",
                                    ")"},
                  {{"IX_DAYACC_SUB2_0", {"CREATE INDEX IX_DAYACC_SUB2_0 ON X_DAYACC_SUB2 (SAL_DATE)"}},
                   {"IX_DAYACC_SUB2_1", {"CREATE INDEX IX_DAYACC_SUB2_1 ON X_DAYACC_SUB2 (PROD_ID)"}}}),
      CreateTable("BAND_ITEM", {"CREATE TABLE BAND_ITEM ( ",
                                " BAND_ID VARCHAR(20) NOT NULL, ",
                                " BAND_NAME VARCHAR(50), ",
                                " CHG_DATE VARCHAR(10), ",
                                " CL_TIMES INT,",
                                " PRIMARY KEY(BAND_ID) ) "}),
      CreateTable("PROD_BAND", {"CREATE TABLE PROD_BAND ( ",
                                " BAND_ID VARCHAR(20), ",
                                " PROD_ID VARCHAR(20), ",
                                " PROD_NAME VARCHAR(50) ",
                                " ) "},
                  {{"IDX_PD_BAND0", {"CREATE INDEX IDX_PD_BAND0 ON PROD_BAND(BAND_ID,PROD_ID)"}}}),
      AddVarchar("INFOMATION", "SHOW_YN", "1"),
      AddVarchar("PUB_PARAM", "INCHKUD", "1"),
      AddVarchar("PUB_PARAM", "SALCHKUD", "1"),
      AddDouble("PROVIDER", "CENTER_AMTPERS"),
  };
}

void RunStep(TSQLQuery& query, QueryGuards& guards, const UpgradeStep& step) {
  switch (step.action) {
    case UpgradeAction::AddDoubleField:
      // The result is deliberately ignored: an addition skipped for the shape
      // only skips this step.
      guards.AddDoubleField(step.table, step.column);
      return;
    case UpgradeAction::AddVarcharField:
      guards.AddVarcharField(step.table, step.column, step.width);
      return;
    case UpgradeAction::Execute:
      ExecuteStatement(query, step.statement);
      return;
    case UpgradeAction::CreateTable:
      if (guards.TableMissing(step.table)) {
        ExecuteStatement(query, step.statement);
        for (const TableIndex& index : step.indexes) ExecuteStatement(query, index.statement);
        return;
      }
      // An earlier run cut off between the table and its indexes left the
      // table without them; nothing else would ever make them. A table of
      // another shape (made by an older release, or by hand) may lack the
      // index's column: that index is skipped, as a guarded addition is.
      for (const TableIndex& index : step.indexes) {
        if (guards.IndexMissing(index.name)) GuardedChange([&] { ExecuteStatement(query, index.statement); });
      }
      return;
  }
}

}  // namespace

const std::vector<UpgradeStep>& UpgradeSteps() {
  static const std::vector<UpgradeStep> steps = BuildSteps();
  return steps;
}

void UpgradeScript(TSQLQuery& query, QueryGuards& guards) {
  for (const UpgradeStep& step : UpgradeSteps()) RunStep(query, guards, step);
}
