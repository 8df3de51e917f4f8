// Start-up and the message loop.
#include <exception>
#include <memory>

#include "Application.h"
#include "ErrorReport.h"
#include "FrmVelmar.h"

int main(int argc, char* argv[]) {
  TApplication Application(argc, argv);
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
