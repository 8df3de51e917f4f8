// One statement as the lines added to the shared statement object, and the
// one way every user of that object puts a statement there.
#pragma once

#include <string>
#include <vector>

class TSQLQuery;

using StatementLines = std::vector<std::string>;

// Close and Clear lines first: the object may still be open on a probe's
// result or hold another statement. Then the lines, in order.
void LoadStatement(TSQLQuery& query, const StatementLines& lines);

// Loaded as above and executed with direct execution off.
void ExecuteStatement(TSQLQuery& query, const StatementLines& lines);
