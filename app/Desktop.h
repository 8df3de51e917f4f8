// What the window logic asks of the window toolkit besides the main window:
// the application title, modal message boxes and the message loop, which
// keeps its quit request. Each face's application object is the one desktop
// while the program runs.
#pragma once

#include <functional>
#include <string>

#include "QuitRequest.h"

enum class BoxIcon { Warning, Stop };

class Desktop {
 public:
  // The application object of the running program; std::logic_error when
  // there is none yet.
  static Desktop& Current();

  virtual std::u16string ApplicationTitle() const = 0;

  // One OK button, modal to the whole program; returns once it is dismissed.
  virtual void ShowMessageBox(BoxIcon icon, const std::u16string& caption, const std::u16string& text) = 0;

  // Runs call from the message loop once the messages queued before it are done.
  virtual void PostToLoop(std::function<void()> call) = 0;

  // Ends the main message loop; the program then exits with status 0.
  virtual void ExitLoop() = 0;

  // The request that ends this desktop's main loop, waiting for its dialogs.
  QuitRequest& Quit() { return quit_; }

  Desktop(const Desktop&) = delete;
  Desktop& operator=(const Desktop&) = delete;

 protected:
  Desktop();  // becomes the current desktop
  virtual ~Desktop();

 private:
  QuitRequest quit_{*this};
};
