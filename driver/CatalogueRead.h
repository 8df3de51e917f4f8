// Whether a prepared statement is a select that reads Firebird's own catalogue
// alone: the RDB$ system tables, which no statement drops or alters.
//
// Executing a statement keeps what it uses in use until its transaction ends,
// and a table or view in use cannot be dropped, by this connection or any
// other. Only a select that uses nothing else may therefore run in a
// transaction kept open across statements. It also writes nothing: no
// procedure, function or lock can hide in it.
//
// Judged from the statement's text and the server's detailed plan, always
// leaning to "no": any parenthesis in the text (a function call, a subquery),
// any table of the plan outside the catalogue or seen through a view, any
// index not the catalogue's own, and any object the plan names that is not a
// table or an index (a procedure) make it an ordinary statement. The
// monitoring (MON$) tables are no catalogue here: they answer from a snapshot
// taken once per transaction. Nor are the security (SEC$) ones, which come
// from elsewhere.
#pragma once

#include <string_view>

namespace dbvfb {

// statementType is the server's isc_info_sql_stmt_* of the prepared statement.
bool readsCatalogueAlone(unsigned statementType, std::string_view text, std::string_view detailedPlan);

}  // namespace dbvfb
