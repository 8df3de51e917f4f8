// Start-up and the message loop. The face (app/qt on Linux, app/win32 on
// Windows) is chosen by the build; the program reads no command-line argument
// and hands the toolkit only its own name.
#include <exception>
#include <memory>

#include "Application.h"
#include "ErrorReport.h"
#include "FrmVelmar.h"

int main(int, char* argv[]) {
  // The application object is made inside the guard too: a start-up that
  // fails there (no window for the task-bar entry) is reported like any.
  std::unique_ptr<TApplication> Application;
  std::unique_ptr<TFormVelmar> FormVelmar;
  try {
    Application = std::make_unique<TApplication>(argv[0]);
    FormVelmar = std::make_unique<TFormVelmar>();
    TApplication::ShowMainWindow(*FormVelmar);
  } catch (...) {
    ReportStartupFailure(std::current_exception());
    return 1;
  }
  Application->RunMessageLoop();
  return 0;
}
