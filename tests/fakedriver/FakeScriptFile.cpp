// A script for the fake driver from a file, for a program that loads the fake
// on its own (the end-to-end tests of the Windows program), with no test in
// the same process to script it. CORVANTIS_FAKE_SCRIPT names the file; it is
// read when the first driver object is made. One instruction a line, fields
// separated by a tab:
//   trace                      every call raises a trace event (TraceEveryCall)
//   cursor TEXT COLUMN [VALUE]  a statement containing TEXT returns a cursor
//                               with one text column COLUMN, and one row
//                               holding VALUE when it is given, else none
// Anything else in the file is a mistake and makes the entry point fail.
#include "FakeScriptFile.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

#include "FakeDriver.h"

namespace fake::detail {

namespace {

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields;
  std::istringstream in(line);
  for (std::string field; std::getline(in, field, '\t');) fields.push_back(field);
  return fields;
}

}  // namespace

bool LoadScriptFileOnce() {
  static bool loaded = false;
  static bool valid = true;
  if (loaded) return valid;
  loaded = true;
  const char* path = std::getenv("CORVANTIS_FAKE_SCRIPT");
  if (path == nullptr || *path == '\0') return valid;
  std::ifstream in(path);
  valid = static_cast<bool>(in);
  for (std::string line; valid && std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::vector<std::string> fields = Fields(line);
    if (fields.empty()) continue;
    if (fields[0] == "trace" && fields.size() == 1) {
      TraceEveryCall(true);
    } else if (fields[0] == "cursor" && (fields.size() == 3 || fields.size() == 4)) {
      Statement statement{.sqlContains = fields[1], .returnsCursor = true, .columns = {{.name = fields[2]}}};
      if (fields.size() == 4) statement.rows = {{fields[3]}};
      ScriptStatement(statement);
    } else {
      valid = false;
    }
  }
  return valid;
}

}  // namespace fake::detail
