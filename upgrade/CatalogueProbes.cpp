#include "CatalogueProbes.h"

#include "TextRules.h"

StatementLines TableProbeLines(const std::string& table) {
  return {"SELECT * FROM RDB$RELATIONS ",
          " WHERE RDB$RELATION_NAME = '" + UpperCaseAscii(table) + "'"};
}

StatementLines IndexProbeLines(const std::string& index) {
  return {"SELECT * FROM RDB$INDICES ", " WHERE RDB$INDEX_NAME = '" + UpperCaseAscii(index) + "'"};
}

StatementLines ColumnProbeLines(const std::string& table, const std::string& column) {
  return {"SELECT * FROM RDB$RELATION_FIELDS ",
          "WHERE RDB$RELATION_NAME = '" + UpperCaseAscii(table) + "'",
          "AND RDB$FIELD_NAME = '" + UpperCaseAscii(column) + "'"};
}

// The ALTER names the table and column as given; only the probes upper-case.
std::string AddVarcharStatement(const std::string& table, const std::string& column,
                                const std::string& width) {
  return "ALTER TABLE " + table + " ADD " + column + " VARCHAR(" + width + ")";
}

std::string AddDoubleStatement(const std::string& table, const std::string& column) {
  return "ALTER TABLE " + table + " ADD " + column + " Double Precision";
}
