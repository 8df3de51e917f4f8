// The catalogue questions the upgrade asks before each schema change, asked
// on the shared statement object, so that every change is made only when
// missing and a second run changes nothing. The main window, the tests and
// the benchmarks all ask them through this one class. Each question leaves
// the object holding its last statement (open on the probe's result when no
// ALTER was sent); every user of the object starts with Close and Clear lines.
#pragma once

#include <functional>
#include <string>

class TSQLQuery;

class QueryGuards {
 public:
  explicit QueryGuards(TSQLQuery& query) : query_(query) {}

  // True when the catalogue has no table of that name. Failures are not caught.
  bool TableMissing(const std::string& table);

  // True when the catalogue has no index of that name. Failures are not caught.
  bool IndexMissing(const std::string& index);

  // Add the column when the catalogue lacks it, the probe and the ALTER as
  // one guarded change: true when they ran, false when skipped for the shape.
  bool AddVarcharField(const std::string& table, const std::string& column, const std::string& width);
  bool AddDoubleField(const std::string& table, const std::string& column);

 private:
  TSQLQuery& query_;
};

// Runs one guarded schema change. True when it ran; false when the server
// refused it because the database's shape is not what it expects (the table
// is not there, the column or index is there already, a column the index
// names is not in the table): the change is skipped, and nothing is shown.
// Every other failure travels on, as a failure of an unguarded statement does.
bool GuardedChange(const std::function<void()>& change);
