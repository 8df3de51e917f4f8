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
//                        handler does, timing each part apart; prints the
//                        microseconds a line of append and of repaint, wall
//                        clock, then the same in the thread's processor time
//
// The window is shown, so every line is painted as in a real run; its start
// timer is stopped, so the run is driven here and not by the tick.
#include <QApplication>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>

#include "CatalogueGuards.h"
#include "CatalogueProbes.h"
#include "FrmVelmar.h"
#include "SQLMonitor.h"
#include "UpgradeScript.h"

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

void ShowWithoutRun(TFormVelmar& window) {
  window.Timer1->stop();
  window.show();
  QApplication::processEvents();
}

int Run(TFormVelmar& window, bool monitorOn) {
  TSQLQuery& query = *window.SQLQuery1;
  if (TableMissing(query, "UPDATE_HIST")) {
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

int Flood(TFormVelmar& window, long events) {
  dbv::SQLTRACEDesc record{};
  record.TraceOwner = window.SQLMonitor1->Identity();
  const auto start = Clock::now();
  for (long i = 0; i < events; ++i) {
    std::snprintf(record.TraceText, sizeof record.TraceText,
                  "execute: %ld rows affected by UPDATE ORDER_MASTER SET BILL_KIND = ... WHERE BILL_KIND IS NULL", i);
    TraceHookProc(dbv::trace::Execute, &record);
  }
  std::printf("%.3f\n", SecondsSince(start));
  return 0;
}

// The thread's own processor time: on a machine busy with other work it
// moves less than the wall clock; the display server's share is in neither.
double CpuMicroseconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return now.tv_sec * 1e6 + now.tv_nsec / 1e3;
}

int Parts(TFormVelmar& window, long lines) {
  Clock::duration append{};
  Clock::duration repaint{};
  double appendCpu = 0;
  double repaintCpu = 0;
  char text[sizeof dbv::SQLTRACEDesc{}.TraceText];
  for (long i = 0; i < lines; ++i) {
    std::snprintf(text, sizeof text,
                  "execute: %ld rows affected by UPDATE ORDER_MASTER SET BILL_KIND = ... WHERE BILL_KIND IS NULL", i);
    const double cpuStart = CpuMicroseconds();
    const auto start = Clock::now();
    window.AppendLogLine(text);
    const double cpuAppended = CpuMicroseconds();
    const auto appended = Clock::now();
    window.RepaintNow();
    append += appended - start;
    repaint += Clock::now() - appended;
    appendCpu += cpuAppended - cpuStart;
    repaintCpu += CpuMicroseconds() - cpuAppended;
  }
  const auto perLine = [lines](Clock::duration d) { return std::chrono::duration<double, std::micro>(d).count() / lines; };
  std::printf("%.1f %.1f %.1f %.1f\n", perLine(append), perLine(repaint), appendCpu / lines, repaintCpu / lines);

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
