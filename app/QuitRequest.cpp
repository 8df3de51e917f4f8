#include "QuitRequest.h"

#include <QCoreApplication>
#include <QMetaObject>

namespace {

bool pending = false;
int openDialogs = 0;

void Deliver() {
  if (!pending || openDialogs > 0) return;
  pending = false;
  // exit(), not quit(): quit() asks every window to close first, and the main
  // window answers a close with this very request.
  QCoreApplication::exit(0);
}

void Post() { QMetaObject::invokeMethod(QCoreApplication::instance(), &Deliver, Qt::QueuedConnection); }

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
