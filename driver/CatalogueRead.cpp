#include "CatalogueRead.h"

#include <ibase.h>

#include <algorithm>
#include <array>
#include <cctype>

namespace dbvfb {
namespace {

// The catalogue tables of a Firebird 3 database (ODS 12). A table a later
// server adds is missing here, so a select of it runs as before.
constexpr std::array<std::string_view, 36> kCatalogueTables = {
    "RDB$AUTH_MAPPING",       "RDB$BACKUP_HISTORY",    "RDB$CHARACTER_SETS",     "RDB$CHECK_CONSTRAINTS",
    "RDB$COLLATIONS",         "RDB$DATABASE",          "RDB$DB_CREATORS",        "RDB$DEPENDENCIES",
    "RDB$EXCEPTIONS",         "RDB$FIELDS",            "RDB$FIELD_DIMENSIONS",   "RDB$FILES",
    "RDB$FILTERS",            "RDB$FORMATS",           "RDB$FUNCTIONS",          "RDB$FUNCTION_ARGUMENTS",
    "RDB$GENERATORS",         "RDB$INDEX_SEGMENTS",    "RDB$INDICES",            "RDB$LOG_FILES",
    "RDB$PACKAGES",           "RDB$PAGES",             "RDB$PROCEDURES",         "RDB$PROCEDURE_PARAMETERS",
    "RDB$REF_CONSTRAINTS",    "RDB$RELATIONS",         "RDB$RELATION_CONSTRAINTS", "RDB$RELATION_FIELDS",
    "RDB$ROLES",              "RDB$SECURITY_CLASSES",  "RDB$TRANSACTIONS",       "RDB$TRIGGERS",
    "RDB$TRIGGER_MESSAGES",   "RDB$TYPES",             "RDB$USER_PRIVILEGES",    "RDB$VIEW_RELATIONS",
};

bool isCatalogueTable(std::string_view name) {
  return std::find(kCatalogueTables.begin(), kCatalogueTables.end(), name) != kCatalogueTables.end();
}

// The catalogue's own indexes are RDB$INDEX_ and a number.
bool isCatalogueIndex(std::string_view name) {
  constexpr std::string_view prefix = "RDB$INDEX_";
  if (name.size() <= prefix.size() || !name.starts_with(prefix)) return false;
  return std::all_of(name.begin() + prefix.size(), name.end(),
                     [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; });
}

// The word just before position end: "Table" in 'Table "RDB$RELATIONS"'.
std::string_view wordBefore(std::string_view text, std::size_t end) {
  while (end > 0 && text[end - 1] == ' ') --end;
  std::size_t start = end;
  while (start > 0 && text[start - 1] != ' ' && text[start - 1] != '\n') --start;
  return text.substr(start, end - start);
}

// Every name the plan quotes, by the word that introduces it: each table one
// of the catalogue's, read directly, and each index the catalogue's own.
bool planReadsCatalogueAlone(std::string_view plan) {
  bool readsTable = false;
  std::size_t open = plan.find('"');
  while (open != std::string_view::npos) {
    const std::size_t close = plan.find('"', open + 1);
    if (close == std::string_view::npos) return false;
    const std::string_view name = plan.substr(open + 1, close - open - 1);
    const std::string_view kind = wordBefore(plan, open);
    if (kind == "Table") {
      if (!isCatalogueTable(name)) return false;
      readsTable = true;
    } else if (kind == "as") {
      // An alias; a table read through a view carries the view's name in front.
      if (name.find(' ') != std::string_view::npos) return false;
    } else if (kind == "Index") {
      if (!isCatalogueIndex(name)) return false;
    } else {
      return false;
    }
    open = plan.find('"', close + 1);
  }
  return readsTable;
}

}  // namespace

bool readsCatalogueAlone(unsigned statementType, std::string_view text, std::string_view detailedPlan) {
  return statementType == isc_info_sql_stmt_select && text.find('(') == std::string_view::npos &&
         planReadsCatalogueAlone(detailedPlan);
}

}  // namespace dbvfb
