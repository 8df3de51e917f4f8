// The flood of log lines both faces' benchmarks send through their real main
// window (LogBench.cpp: Qt, LogBenchWin32.cpp: Win32).
#pragma once

#include <chrono>
#include <cstdio>
#include <ctime>

#include "SQLMonitor.h"

using Clock = std::chrono::steady_clock;

inline double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// Flood: N synthetic driver events through the trace callback into the log;
// prints the seconds.
template <class Form>
int Flood(Form& window, long events) {
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
inline double CpuMicroseconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return now.tv_sec * 1e6 + now.tv_nsec / 1e3;
}

// Parts: N such lines appended and repainted as the handler does, each part
// timed apart; prints the microseconds a line of append and of repaint by the
// wall clock, then the same in the thread's processor time.
template <class Form>
int Parts(Form& window, long lines) {
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
    window.AppendLogLines(text);
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

