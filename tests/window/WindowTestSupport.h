// What the window tests share: the application object (offscreen), a dialog
// answerer, and bounded waits on the event loop (the scripted run: ScriptedRun.h).
#pragma once

#include <QMessageBox>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ScriptedRun.h"

// What a dialog showed when it was answered.
struct SeenDialog {
  QString caption;
  QString text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QStringList buttons;
  bool okIsDefaultAndEscape = false;
  bool applicationModal = false;
  bool quitPendingWhenShown = false;
  bool visibleWhenAnswered = false;
};

enum class Dismiss { Enter, Escape, CloseButton };

// Watches for the program's modal message boxes and answers each one after
// answerAfterMs, the way a user would.
class DialogAnswerer {
 public:
  explicit DialogAnswerer(int answerAfterMs = 200, Dismiss how = Dismiss::Enter);
  ~DialogAnswerer();
  std::vector<SeenDialog> seen;
  std::function<void()> afterAnswer;  // runs once the box is gone

 private:
  struct Watch;
  std::unique_ptr<Watch> watch_;
};

// Runs the application's main loop until the quit request ends it; gives up
// after limitMs with status -99.
int RunMainLoop(int limitMs = 15000);

// Processes events until the condition holds or limitMs has passed.
bool WaitFor(const std::function<bool()>& condition, int limitMs);
void WaitMs(int ms);
