// Start-up and the message loop. The face (app/qt on Linux, app/win32 on
// Windows) is chosen by the build; the program reads no command-line argument
// and hands the toolkit only its own name.
#include <exception>
#include <memory>

#include "Application.h"
#include "ErrorReport.h"
#include "FrmVelmar.h"

int main(int, char* argv[]) {
  TApplication Application(argv[0]);
  std::unique_ptr<TFormVelmar> FormVelmar;
  try {
    FormVelmar = std::make_unique<TFormVelmar>();
    TApplication::ShowMainWindow(*FormVelmar);
  } catch (...) {
    ReportStartupFailure(std::current_exception());
    return 1;
  }
  Application.RunMessageLoop();
  return 0;
}
