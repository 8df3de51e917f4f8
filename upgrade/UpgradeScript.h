// The upgrade to this release: 46 steps run in order on the shared statement
// object. Schema changes are guarded by catalogue probes, so a repeated run
// creates and alters nothing; the BILL_KIND backfills run every time.
#pragma once

#include <string>
#include <vector>

#include "StatementLines.h"

class QueryGuards;
class TSQLQuery;

enum class UpgradeAction {
  AddDoubleField,   // column added when missing; skipped for the database's shape
  AddVarcharField,  // column added when missing; skipped for the database's shape
  Execute,          // the one statement, unconditionally
  CreateTable,      // when the table is missing: the CREATE, then its indexes;
                    // when it is there: each of its indexes that is missing
};

struct TableIndex {
  std::string name;        // as the catalogue holds it
  StatementLines statement;  // its CREATE INDEX
};

struct UpgradeStep {
  UpgradeAction action;
  std::string table;   // probed or altered table; empty for Execute
  std::string column;  // the added column
  std::string width;   // decimal width of an added VARCHAR
  StatementLines statement;  // of Execute, the CREATE TABLE of CreateTable; empty for additions
  std::vector<TableIndex> indexes;  // of a created table, in the order they are created
};

// The steps in the order they run; step n is element n - 1.
const std::vector<UpgradeStep>& UpgradeSteps();

// Runs every step: the statements on query, the catalogue questions through
// guards, which ask them on the same query. The first failure travels out and
// skips the rest, unless it is a guarded change (a column addition, an index
// of a table found present) that the server refused for the database's
// shape, which is skipped alone; what ran before stays committed, each
// statement having been committed on its own, so a later run carries on
// where this one stopped: a table found present gets the indexes it lacks.
void UpgradeScript(TSQLQuery& query, QueryGuards& guards);
