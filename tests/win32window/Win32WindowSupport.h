// What the Win32 window tests share: the application object, a watcher that
// reads every message box the program opens through Win32 (caption, text,
// icon) and presses its OK button as a user would, and bounded waits that
// run the thread's messages meanwhile.
#pragma once

#include <windows.h>

#include <functional>
#include <ostream>
#include <memory>
#include <string>
#include <vector>


// The icon a box shows, told by its handle: the system's warning or stop icon.
enum class ShownIcon { None, Warning, Stop, Other };

struct SeenBox {
  std::u16string caption;
  std::u16string text;
  ShownIcon icon;
  bool quitPending;       // a close request had been posted when it showed
  bool mainWindowEnabled; // the program's main window took input meanwhile

  bool operator==(const SeenBox&) const = default;
};

// For the failure messages of the tests.
void PrintTo(const SeenBox& box, std::ostream* out);

// Answers each box answerAfterMs after it showed; at most one watcher at a time.
class BoxWatcher {
 public:
  explicit BoxWatcher(int answerAfterMs = 100, HWND mainWindow = nullptr);
  ~BoxWatcher();
  BoxWatcher(const BoxWatcher&) = delete;
  BoxWatcher& operator=(const BoxWatcher&) = delete;

  std::vector<SeenBox> seen;

  struct State;

 private:
  std::unique_ptr<State> state_;
};

// A pixel of lime text on black: the text colour itself, or a darker green
// where the font smooths its edges.
inline bool IsLogText(COLORREF colour) {
  return GetGValue(colour) >= 128 && GetRValue(colour) <= 64 && GetBValue(colour) <= 64;
}

// Runs the thread's messages until the condition holds or limitMs passed.
bool WaitFor(const std::function<bool()>& condition, int limitMs);
void PumpFor(int ms);

// Runs the application's main loop; true when the program's own quit request
// ended it, false when limitMs passed first.
bool RunMainLoop(int limitMs);
