// The statements a run sends, in order, derived from the step table: what the
// tests expect to see in the server's trace and in the log, and what the
// benchmark hands isql-fb as the same work.
#pragma once

#include <vector>

#include "CatalogueProbes.h"
#include "UpgradeScript.h"

namespace sample {

struct SentStatement {
  StatementLines lines;
  bool unguarded;  // a step's one statement sent every run (the backfills)
  int step = 0;    // the step that sends it; 0 for the gate probe
};

// The gate probe, then the upgrade's statements for a database that lacks
// every column and table of the upgrade (firstRun) or already has them all.
inline std::vector<SentStatement> StatementsSent(bool firstRun) {
  std::vector<SentStatement> sent = {{TableProbeLines("UPDATE_HIST"), false}};
  int number = 0;
  for (const UpgradeStep& step : UpgradeSteps()) {
    const std::size_t firstOfStep = sent.size();
    ++number;
    switch (step.action) {
      case UpgradeAction::AddDoubleField:
      case UpgradeAction::AddVarcharField:
        sent.push_back({ColumnProbeLines(step.table, step.column), false});
        if (firstRun) {
          sent.push_back({{step.action == UpgradeAction::AddDoubleField
                               ? AddDoubleStatement(step.table, step.column)
                               : AddVarcharStatement(step.table, step.column, step.width)},
                          false});
        }
        break;
      case UpgradeAction::Execute:
        sent.push_back({step.statement, true});
        break;
      case UpgradeAction::CreateTable:
        sent.push_back({TableProbeLines(step.table), false});
        if (firstRun) {
          sent.push_back({step.statement, false});
          for (const TableIndex& index : step.indexes) sent.push_back({index.statement, false});
        } else {
          for (const TableIndex& index : step.indexes) sent.push_back({IndexProbeLines(index.name), false});
        }
        break;
    }
    for (std::size_t i = firstOfStep; i < sent.size(); ++i) sent[i].step = number;
  }
  return sent;
}

}  // namespace sample
