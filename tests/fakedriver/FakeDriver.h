// The scripted fake driver library, bin/libfakedbv.so, and the control API
// that tests use to script it and to read back what the program called.
//
// Tests link the target fakedbv_control, which is this very library: when the
// program's loader opens bin/libfakedbv.so by path, the system hands back the
// instance already loaded, so script and call log are shared.
//
// ENTRY POINTS. getSQLDriverFIREBIRD and getSQLDriverFAKE behave alike; only
// the name in the call log differs, so a test can tell which one was found.
//
// CALL LOG. Every call into the library is logged, in order, as
//     <object>.<operation>(<arguments>)
// with object one of driver, conn, meta, cmd, cursor (the entry point logs as
// its own name). Arguments are separated by "," without blanks; only input
// arguments appear; integers are decimal; texts stand as they are, with CR
// written as \r, LF as \n and a backslash as \\ so that every entry is one
// line (PreparedTexts() keeps the exact statement bytes); the trace callback of
// option 9 is written "callback" when it is not 0. For example:
//     getSQLDriverFIREBIRD(libfbclient.so.2,)    driver.getSQLConnection()
//     conn.setStringOption(3,RoleName)           conn.setOption(4,1)
//     conn.setOption(9,callback)                 conn.setOption(12,7)
//     conn.connect(localhost:/x.fdb,SYSDBA,masterkey)
//     conn.getOption(14)   conn.getSQLMetaData()  meta.setStringOption(1,SYSDBA)
//     meta.getOption(11)   conn.getSQLCommand()   cmd.setOption(0,20)
//     cmd.prepare(SELECT 1 FROM RDB$DATABASE\r\n,0)   cmd.execute()
//     cmd.executeImmediate(<text>)   cmd.getRowsAffected()   cmd.close()
//     cursor.getColumnCount()   cursor.getColumnName(1)   cursor.getColumnType(1)
//     cursor.getColumnLength(1) cursor.getColumnPrecision(1) cursor.getColumnScale(1)
//     cursor.isNullable(1)      cursor.next()   cursor.getString(1)   cursor.getLong(2)
//     conn.getErrorMessageLen()  conn.getErrorMessage()  cursor.release()
//
// ORDER OF A CALL. The call is logged, its status is decided by the failure
// rules, the trace events due during it are raised through the callback its
// connection holds at that moment, and only then does the call take effect
// (and only when its status is 0). So "conn.setOption(9,callback)" raises
// nothing of its own, and a failed call changes nothing and writes no output.
// The fake checks no calling order: anything the rules do not fail succeeds.
//
// STATEMENTS. A prepared or immediately executed text runs the first scripted
// Statement whose sqlContains occurs in it; an unscripted text returns no
// cursor and affects 0 rows. A cursor serves the statement's rows one per
// next() (status 0), then endStatus. Values are given as text and read back
// by whichever getter the program calls:
//   getString: the bytes, cut to the column length, then NUL;
//   getShort/getLong/getDate: a decimal integer; getTime: an unsigned one;
//   getDouble: a decimal number; getDecimal: "-123.45" gives unscaled -12345,
//   scale 2; getTimestamp: "<date> <milliseconds>";
//   getBytes: exactly the column length, cut or padded with zero bytes;
//   getBlobSize/getBlob: the bytes, whole.
// A value that does not parse answers status 7; a column number outside
// 1..count answers 8; a getter without a current row answers 10. A NULL cell
// (nullopt) sets the null flag and writes a zero value (an empty text).
//
// OBJECTS. Every object the library hands out is counted until released;
// Live() shows the counts, AttachedConnections() the connections that
// connected and were never told to disconnect (released or not). Reset()
// leaves these counts alone, so a leak also shows in the test after it.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "DriverContract.h"

namespace fake {

// Empties the call log, the rules, the statements, the trace events and the
// option answers, and restores the default answers:
//   conn.getOption(14) -> 0 (no statement limit)   meta.getOption(11) -> '"'
//   meta.getOption(5)  -> 1                        meta.getOption(15) -> 1
void Reset();

// ---- Call log

std::vector<std::string> Calls();
// The calls that start with any of the prefixes, in order.
std::vector<std::string> CallsStartingWith(std::initializer_list<std::string_view> prefixes);
bool Called(std::string_view prefix);
void ClearCalls();

// ---- Failures

// A rule fails calls whose log entry starts with call. Include the "(" to
// match one operation only: "conn.getErrorMessage(" is not
// "conn.getErrorMessageLen(". Rules are tried in the order they were added;
// the first one that fires decides.
struct Failure {
  std::string call = {};
  dbv::SQLResult status = dbv::status::SqlError;
  std::string message = {};  // what the failing object's getErrorMessage answers from then on
  int skip = 0;         // matching calls that still succeed before the rule fires
  int times = -1;       // calls it fails once it fires; -1: all of them
};
void Fail(Failure rule);

// ---- Answers of getOption

// The bytes getOption writes for exactly this log entry ("meta.getOption(11)");
// it writes at most maxLength of them and sets length. A getOption without an
// answer answers status 5 and writes nothing.
void SetOptionAnswer(const std::string& call, std::string bytes);
std::string Int32Bytes(std::int32_t value);

// ---- Statements and cursors

struct Column {
  std::string name = {};
  dbv::FieldType type = dbv::FieldType::String;
  std::uint16_t subType = 0;
  std::uint32_t length = 0;  // 0: the longest value of the column, at least 1
  std::int16_t precision = 0;
  std::int16_t scale = 0;
  bool nullable = true;
};

using Cell = std::optional<std::string>;  // nullopt: NULL

struct Statement {
  std::string sqlContains = {};  // "" matches every text
  bool returnsCursor = false;
  std::vector<Column> columns = {};
  std::vector<std::vector<Cell>> rows = {};
  std::int32_t rowsAffected = 0;
  std::uint16_t endStatus = dbv::status::EndOfResult;  // or status::NoMoreData
};
void ScriptStatement(Statement statement);

// The exact bytes of every text handed to prepare or executeImmediate, in order.
std::vector<std::string> PreparedTexts();

// ---- Trace events

struct TraceEvent {
  std::string during = {};  // prefix of the log entries during which it is raised
  std::int32_t category = dbv::trace::Misc;
  std::string text = {};  // copied into TraceText; 1024 bytes fill it without a NUL, more are cut
  std::optional<std::uint32_t> owner = {};  // TraceOwner; default: the value of option 12
  bool nullRecord = false;             // call back with no record at all
  int times = -1;                      // -1: during every matching call
};
void RaiseTraceDuring(TraceEvent event);

// While on, every call on a connection with a callback raises one event of
// category Misc whose text is the call's log entry.
void TraceEveryCall(bool on);

// Raises event now (its "during" is not used) through the callback of the
// connection created last; answers the callback's result, or -1 when that
// connection has no callback or is gone.
std::int32_t RaiseTraceNow(const TraceEvent& event);

// The texts of the events raised so far (handed to a callback), in order.
std::vector<std::string> TraceTextsRaised();

// The trace callback and owner the connection created last holds now.
dbv::TraceCallback InstalledCallback();
std::uint32_t InstalledOwner();

// ---- Objects

struct LiveCounts {
  int drivers = 0;
  int connections = 0;
  int metaData = 0;
  int commands = 0;
  int cursors = 0;
};
LiveCounts Live();
int AttachedConnections();

}  // namespace fake
