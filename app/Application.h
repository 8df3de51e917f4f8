// The application object: the title and icon, the COM apartment, the guard
// around every event the toolkit dispatches, showing the main window and the
// message loop.
#pragma once

#include <QApplication>

#include "ComApartment.h"

class TFormVelmar;

// Until the message loop starts, a fatal toolkit message (no display can be
// opened) ends the process with status 1 and the message on standard error,
// instead of an abort. It is a base class so that it is in place before the
// toolkit starts, in QApplication's constructor.
class StartupFatalHandler {
 protected:
  StartupFatalHandler();
  static void Release();
};

class TApplication : private StartupFatalHandler, public QApplication {
 public:
  TApplication(int& argc, char** argv);

  // Shows the window in the state the process was started with; its first
  // showing places it.
  static void ShowMainWindow(TFormVelmar& form);

  // Runs until the quit request is taken. Whatever happens in it, the
  // process then exits with status 0.
  void RunMessageLoop();

  bool notify(QObject* receiver, QEvent* event) override;

 private:
  ComApartment comApartment_;
};
