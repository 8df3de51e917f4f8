#include "QuitRequest.h"

#include "Desktop.h"

namespace {

bool pending = false;
int openDialogs = 0;

void Deliver() {
  if (!pending || openDialogs > 0) return;
  pending = false;
  Desktop::Current().ExitLoop();
}

void Post() { Desktop::Current().PostToLoop(&Deliver); }

}  // namespace

void PostQuitRequest() {
  pending = true;
  Post();
}

bool QuitRequestPending() { return pending; }

ModalDialogScope::ModalDialogScope() { ++openDialogs; }

ModalDialogScope::~ModalDialogScope() {
  if (--openDialogs == 0 && pending) Post();
}
