#include "QuitRequest.h"

#include "Desktop.h"

void QuitRequest::Post() {
  pending_ = true;
  PostDelivery();
}

void QuitRequest::DialogClosed() {
  if (--openDialogs_ == 0 && pending_) PostDelivery();
}

// The call dies with the desktop's loop, never outliving this request.
void QuitRequest::PostDelivery() {
  desktop_.PostToLoop([this] { Deliver(); });
}

void QuitRequest::Deliver() {
  if (!pending_ || openDialogs_ > 0) return;
  pending_ = false;
  desktop_.ExitLoop();
}

void PostQuitRequest() { Desktop::Current().Quit().Post(); }

bool QuitRequestPending() { return Desktop::Current().Quit().Pending(); }

ModalDialogScope::ModalDialogScope() : request_(Desktop::Current().Quit()) { request_.DialogOpened(); }

ModalDialogScope::~ModalDialogScope() { request_.DialogClosed(); }
