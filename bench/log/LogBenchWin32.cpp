// The cost of the live log on the Win32 face, under Wine here: the same
// flood of lines as the Qt face's benchmark, through the real main window.
//
// log_bench flood N | log_bench parts N     as LogBench.cpp
//
// The window is shown, so every line is painted as in a real run; its start
// timer is stopped, so nothing runs but the flood.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "Application.h"
#include "FrmVelmar.h"
#include "LogFlood.h"

int main(int argc, char** argv) {
  TApplication application(argv[0]);
  TFormVelmar window;
  window.Timer1->Stop();
  ShowWindow(window.Handle(), SW_SHOWNORMAL);
  UpdateWindow(window.Handle());
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "flood" && argc > 2) return Flood(window, std::atol(argv[2]));
  if (mode == "parts" && argc > 2) return Parts(window, std::atol(argv[2]));
  std::fprintf(stderr, "usage: log_bench flood N | log_bench parts N\n");
  return 2;
}
