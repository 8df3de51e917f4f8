// The quit request that closing the main window posts.
//
// Once a toolkit's main loop has been told to end, every event loop started
// afterwards returns at once (Qt's exit(), Win32's WM_QUIT), so a dialog opened
// after a close request would never show. The request therefore waits while
// one of the program's modal dialogs is open and reaches the main loop only
// after the dialog has been dismissed.
#pragma once

class Desktop;

// The request of one desktop, kept by the desktop whose loop it ends.
class QuitRequest {
 public:
  explicit QuitRequest(Desktop& desktop) : desktop_(desktop) {}
  QuitRequest(const QuitRequest&) = delete;
  QuitRequest& operator=(const QuitRequest&) = delete;

  void Post();
  bool Pending() const { return pending_; }
  void DialogOpened() { ++openDialogs_; }
  void DialogClosed();

 private:
  void PostDelivery();
  void Deliver();

  Desktop& desktop_;
  bool pending_ = false;
  int openDialogs_ = 0;
};

// Posts the current desktop's request; its main loop ends with status 0 when
// it takes it.
void PostQuitRequest();

// True from PostQuitRequest until the main loop has been told to end.
bool QuitRequestPending();

// Held while a modal dialog runs its own loop; a request taken meanwhile is
// posted again when the last dialog closes.
class ModalDialogScope {
 public:
  ModalDialogScope();
  ~ModalDialogScope();
  ModalDialogScope(const ModalDialogScope&) = delete;
  ModalDialogScope& operator=(const ModalDialogScope&) = delete;

 private:
  QuitRequest& request_;
};
