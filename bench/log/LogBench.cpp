// The cost of the live log, measured on the real main window.
//
// log_bench run on|off   the 46 steps on the database the INI files name,
//                        with the trace monitor on (as the program runs) or
//                        switched off after the gate probe opened the
//                        connection; prints the seconds of the 46 steps and
//                        the number of log lines they produced
// log_bench flood N      N synthetic driver events through the trace
//                        callback into the log; prints the seconds
// log_bench parts N      N such lines, appended and repainted as the
//                        handler does, timing each part apart (LogFlood.h)
//
// The window is shown, so every line is painted as in a real run; its start
// timer is stopped, so the run is driven here and not by the tick.
#include <QApplication>

#include <cstdio>
#include <cstring>
#include <string>

#include "QueryGuards.h"
#include "FrmVelmar.h"
#include "LogFlood.h"
#include "SQLMonitor.h"
#include "UpgradeScript.h"

namespace {

void ShowWithoutRun(TFormVelmar& window) {
  window.Timer1->stop();
  window.show();
  QApplication::processEvents();
}

int Run(TFormVelmar& window, bool monitorOn) {
  TSQLQuery& query = *window.SQLQuery1;
  if (QueryGuards(query).TableMissing("UPDATE_HIST")) {
    std::fprintf(stderr, "log_bench: the database has no UPDATE_HIST\n");
    return 1;
  }
  if (!monitorOn) window.SQLMonitor1->SetActive(false);
  const int linesBefore = window.Memo1->document()->blockCount();
  const auto start = Clock::now();
  QueryGuards guards(query);
  UpgradeScript(query, guards);
  const double seconds = SecondsSince(start);
  std::printf("%.3f %d\n", seconds, window.Memo1->document()->blockCount() - linesBefore);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  TFormVelmar window;
  ShowWithoutRun(window);
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "run" && argc > 2) return Run(window, std::strcmp(argv[2], "on") == 0);
  if (mode == "flood" && argc > 2) return Flood(window, std::atol(argv[2]));
  if (mode == "parts" && argc > 2) return Parts(window, std::atol(argv[2]));
  std::fprintf(stderr, "usage: log_bench run on|off | log_bench flood N | log_bench parts N\n");
  return 2;
}
