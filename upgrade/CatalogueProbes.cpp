#include "CatalogueProbes.h"


#include "Exceptions.h"
#include "SQLQuery.h"

namespace {

void SetLines(TSQLQuery& query, const std::vector<std::string>& lines) {
  query.Close();
  query.ClearLines();
  for (const std::string& line : lines) query.AddLine(line);
}

void Execute(TSQLQuery& query, const std::string& statement) {
  SetLines(query, {statement});
  query.ExecSQL(false);
}

}  // namespace

std::string UpperCaseAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

std::vector<std::string> TableProbeLines(const std::string& table) {
  return {"SELECT * FROM RDB$RELATIONS ",
          " WHERE RDB$RELATION_NAME = '" + UpperCaseAscii(table) + "'"};
}

std::vector<std::string> IndexProbeLines(const std::string& index) {
  return {"SELECT * FROM RDB$INDICES ", " WHERE RDB$INDEX_NAME = '" + UpperCaseAscii(index) + "'"};
}

std::vector<std::string> ColumnProbeLines(const std::string& table, const std::string& column) {
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

bool IndexMissing(TSQLQuery& query, const std::string& index) {
  SetLines(query, IndexProbeLines(index));
  query.Open();
  return query.FieldByName("RDB$INDEX_NAME").IsNull();
}

bool TableMissing(TSQLQuery& query, const std::string& table) {
  SetLines(query, TableProbeLines(table));
  query.Open();
  // Without a row the field reads as null; a catalogue row never has a null name.
  return query.FieldByName("RDB$RELATION_NAME").IsNull();
}

// A shape difference is the one refusal a guard absorbs: the change is not
// needed here (another attachment made it meanwhile) or cannot apply (the
// table is one an older release of the shop's program never had). Anything
// else (a lock, a permission, space, a lost connection, a failure of the
// program's own) means the change was needed and did not happen, and a run
// that went on would end looking complete. catch (...) is not used, so that a
// forced unwind of the thread is never swallowed.
bool GuardedChange(const std::function<void()>& change) {
  try {
    change();
    return true;
  } catch (const EDatabaseError& failure) {
    if (!failure.ShapeDiffers()) throw;
    return false;
  }
}

bool AddVarcharField(TSQLQuery& query, const std::string& table, const std::string& column,
                     const std::string& width) {
  return GuardedChange([&] {
    SetLines(query, ColumnProbeLines(table, column));
    query.Open();
    if (query.FieldByName("RDB$FIELD_NAME").AsString().empty()) {
      Execute(query, AddVarcharStatement(table, column, width));
    }
  });
}

bool AddDoubleField(TSQLQuery& query, const std::string& table, const std::string& column) {
  return GuardedChange([&] {
    SetLines(query, ColumnProbeLines(table, column));
    query.Open();
    if (query.FieldByName("RDB$FIELD_NAME").IsNull()) {
      Execute(query, AddDoubleStatement(table, column));
    }
  });
}
