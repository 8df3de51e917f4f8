// Times one upgrade run the way the program performs it after its start
// delay: the gate probe (which opens the connection and loads the driver),
// then the 46 steps, on the one statement object. The connection is found
// through the usual INI files, so the caller sets XDG_CONFIG_HOME.
//
// upgrade_bench run              prints the wall time of the run in seconds
// upgrade_bench script first     prints the same statement sequence as an
// upgrade_bench script again     isql-fb script, for a database without any
//                                of the upgrade (first) or with all of it (again)
#include <chrono>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include <unistd.h>

#include "QueryGuards.h"
#include "Exceptions.h"
#include "SQLConnection.h"
#include "SQLQuery.h"
#include "StatementsSent.h"
#include "UpgradeScript.h"

namespace {

// isql-fb wants each statement ended by ";"; DDL commits by itself (AUTODDL),
// the backfills are committed one by one as the program's driver does.
void PrintStatement(const std::vector<std::string>& lines, bool commit) {
  for (std::size_t i = 0; i < lines.size(); ++i) std::cout << lines[i] << (i + 1 < lines.size() ? "\n" : ";\n");
  if (commit) std::cout << "COMMIT;\n";
}

void PrintScript(bool firstRun) {
  std::cout << "SET AUTODDL ON;\n";
  for (const sample::SentStatement& statement : sample::StatementsSent(firstRun)) {
    PrintStatement(statement.lines, statement.unguarded);
  }
  std::cout << "COMMIT;\n";
}

int Run() {
  char self[4096] = {};
  const ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
  std::string folder(self, length > 0 ? static_cast<std::size_t>(length) : 0);
  folder = folder.substr(0, folder.rfind('/'));
  TSQLConnection connection("SQLConnection1", folder);
  TSQLQuery query("SQLQuery1");
  query.SetSQLConnection(&connection);
  const auto start = std::chrono::steady_clock::now();
  if (QueryGuards(query).TableMissing("UPDATE_HIST")) {
    std::cerr << "upgrade_bench: the database has no UPDATE_HIST\n";
    return 1;
  }
  QueryGuards guards(query);
  UpgradeScript(query, guards);
  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
  std::printf("%.3f\n", elapsed.count());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  try {
    if (args == std::vector<std::string>{"run"}) return Run();
    if (args.size() == 2 && args[0] == "script" && (args[1] == "first" || args[1] == "again")) {
      PrintScript(args[1] == "first");
      return 0;
    }
  } catch (const std::exception& failure) {
    std::cerr << "upgrade_bench: " << failure.what() << "\n";
    return 1;
  }
  std::cerr << "usage: upgrade_bench run | upgrade_bench script first|again\n";
  return 2;
}
