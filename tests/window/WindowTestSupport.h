// What the window tests share: the application object (offscreen), a scripted
// upgrade run, a dialog answerer, and bounded waits on the event loop.
#pragma once

#include <QMessageBox>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "UpgradeRun.h"

// The outcomes the tests give a run's gate and script.
enum class Step { Passes, Missing, Fails, AbortsSilently };

// Counts its calls and does what the test asks; the log is shared with the test.
class ScriptedRun : public UpgradeRun {
 public:
  ScriptedRun(Step gate, Step script, std::vector<std::string>& log) : gate_(gate), script_(script), log_(log) {}
  bool GateMissing() override;
  void RunScript() override;

  int gateCalls = 0;
  int scriptCalls = 0;
  std::function<void()> onGate;  // runs first in GateMissing

 private:
  Step gate_;
  Step script_;
  std::vector<std::string>& log_;
};

inline constexpr char kGateFailure[] = "SQLConnection1: Unable to complete network request";
inline constexpr char kScriptFailure[] = "ALTER TABLE failed:";

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
