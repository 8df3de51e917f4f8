// Questions the upgrade asks the Firebird catalogue before it changes the
// schema, so that every change is made only when missing and a second run
// changes nothing. All of them work on the one shared statement object and
// leave it holding their last statement (open on the probe's result when no
// ALTER was sent); every user of the object starts with Close and ClearLines.
#pragma once

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

// Add the column when the catalogue lacks it. True when the probe and, where
// needed, the ALTER ran; false when anything else failed. Nothing is shown. A
// failure that lost the connection is not absorbed: it travels on, as a
// failure of an unguarded statement does.
bool AddVarcharField(TSQLQuery& query, const std::string& table, const std::string& column,
                     const std::string& width);
bool AddDoubleField(TSQLQuery& query, const std::string& table, const std::string& column);
