#include "QueryGuards.h"

#include "CatalogueProbes.h"
#include "Exceptions.h"
#include "SQLQuery.h"
#include "StatementLines.h"

bool QueryGuards::TableMissing(const std::string& table) {
  LoadStatement(query_, TableProbeLines(table));
  query_.Open();
  // Without a row the field reads as null; a catalogue row never has a null name.
  return query_.FieldByName("RDB$RELATION_NAME").IsNull();
}

bool QueryGuards::IndexMissing(const std::string& index) {
  LoadStatement(query_, IndexProbeLines(index));
  query_.Open();
  return query_.FieldByName("RDB$INDEX_NAME").IsNull();
}

bool QueryGuards::AddVarcharField(const std::string& table, const std::string& column,
                                  const std::string& width) {
  return GuardedChange([&] {
    LoadStatement(query_, ColumnProbeLines(table, column));
    query_.Open();
    if (query_.FieldByName("RDB$FIELD_NAME").AsString().empty()) {
      ExecuteStatement(query_, {AddVarcharStatement(table, column, width)});
    }
  });
}

bool QueryGuards::AddDoubleField(const std::string& table, const std::string& column) {
  return GuardedChange([&] {
    LoadStatement(query_, ColumnProbeLines(table, column));
    query_.Open();
    if (query_.FieldByName("RDB$FIELD_NAME").IsNull()) {
      ExecuteStatement(query_, {AddDoubleStatement(table, column)});
    }
  });
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
