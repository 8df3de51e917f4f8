#include "StatementLines.h"

#include "SQLQuery.h"

void LoadStatement(TSQLQuery& query, const StatementLines& lines) {
  query.Close();
  query.ClearLines();
  for (const std::string& line : lines) query.AddLine(line);
}

void ExecuteStatement(TSQLQuery& query, const StatementLines& lines) {
  LoadStatement(query, lines);
  query.ExecSQL(false);
}
