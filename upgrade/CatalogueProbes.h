// The statements the upgrade sends to ask the Firebird catalogue before it
// changes the schema, and the column additions they guard. Catalogue names
// are stored in upper case, so the probes upper-case the names they ask for.
#pragma once

#include <string>

#include "StatementLines.h"

StatementLines TableProbeLines(const std::string& table);
StatementLines IndexProbeLines(const std::string& index);
StatementLines ColumnProbeLines(const std::string& table, const std::string& column);
std::string AddVarcharStatement(const std::string& table, const std::string& column,
                                const std::string& width);
std::string AddDoubleStatement(const std::string& table, const std::string& column);
