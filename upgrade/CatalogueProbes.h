// Questions the upgrade asks the Firebird catalogue before it changes the
// schema, so that every change is made only when missing and a second run
// changes nothing. All of them work on the one shared statement object and
// leave it holding their last statement (open on the probe's result when no
// ALTER was sent); every user of the object starts with Close and ClearLines.
#pragma once

#include <functional>
#include <string>
#include <vector>

class TSQLQuery;

// Catalogue names are stored in upper case. Only the bytes a-z are mapped;
// every other byte, above 0x7F too, passes unchanged, whatever the locale.
std::string UpperCaseAscii(std::string text);

// The probe statements, line by line, and the column additions.
std::vector<std::string> TableProbeLines(const std::string& table);
std::vector<std::string> IndexProbeLines(const std::string& index);
std::vector<std::string> ColumnProbeLines(const std::string& table, const std::string& column);
std::string AddVarcharStatement(const std::string& table, const std::string& column,
                                const std::string& width);
std::string AddDoubleStatement(const std::string& table, const std::string& column);

// True when the catalogue has no table of that name. Failures are not caught.
bool TableMissing(TSQLQuery& query, const std::string& table);

// True when the catalogue has no index of that name. Failures are not caught.
bool IndexMissing(TSQLQuery& query, const std::string& index);

// Runs one guarded schema change. True when it ran; false when the server
// refused it because the database's shape is not what it expects (the table
// is not there, the column or index is there already, a column the index
// names is not in the table): the change is skipped, and nothing is shown.
// Every other failure travels on, as a failure of an unguarded statement does.
bool GuardedChange(const std::function<void()>& change);

// Add the column when the catalogue lacks it, the probe and the ALTER as one
// guarded change: true when they ran, false when skipped for the shape.
bool AddVarcharField(TSQLQuery& query, const std::string& table, const std::string& column,
                     const std::string& width);
bool AddDoubleField(TSQLQuery& query, const std::string& table, const std::string& column);
