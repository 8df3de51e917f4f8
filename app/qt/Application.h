// The Qt face's application object: the title and icon, the guard around
// every event the toolkit dispatches, message boxes, showing the main window
// and the message loop.
#pragma once

#include <QApplication>

#include <string>

#include "Desktop.h"

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

// Qt is handed the program's name alone: the program reads no command-line
// argument, so none may reach the toolkit either (-platform, -qwindowtitle...).
class ProgramNameOnly {
 protected:
  explicit ProgramNameOnly(const char* programName);
  int argc_ = 1;
  char* argv_[2];
  std::string name_;
};

class TApplication : private StartupFatalHandler, private ProgramNameOnly, public QApplication, public Desktop {
 public:
  explicit TApplication(const char* programName);

  // Shows the window in the state the process was started with; its first
  // showing places it.
  static void ShowMainWindow(TFormVelmar& form);

  // Runs until the quit request is taken. Whatever happens in it, the
  // process then exits with status 0.
  void RunMessageLoop();

  bool notify(QObject* receiver, QEvent* event) override;

  std::u16string ApplicationTitle() const override;
  void ShowMessageBox(BoxIcon icon, const std::u16string& caption, const std::u16string& text) override;
  void PostToLoop(std::function<void()> call) override;
  void ExitLoop() override;
};
