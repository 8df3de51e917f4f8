#include "Application.h"

#include <QDir>
#include <QIcon>

#include <cstdio>
#include <cstdlib>

#include "ApplicationTitle.h"
#include "ErrorReport.h"
#include "FrmVelmar.h"
#include "ShowState.h"

namespace {

constexpr char kIconResource[] = ":/MAINICON";

QtMessageHandler previousHandler = nullptr;

void StartupMessage(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (type != QtFatalMsg) {
    if (previousHandler) previousHandler(type, context, message);
    return;
  }
  std::fprintf(stderr, "Corvantis: the window system cannot be started: %s\n",
               message.toLocal8Bit().constData());
  std::fflush(stderr);
  std::_Exit(1);
}

}  // namespace

StartupFatalHandler::StartupFatalHandler() { previousHandler = qInstallMessageHandler(&StartupMessage); }

void StartupFatalHandler::Release() { qInstallMessageHandler(previousHandler); }

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
  // The resource lives in a static library: nothing would pull it into the
  // program without this reference.
  Q_INIT_RESOURCE(Corvantis);
  // Only the name, not the display name: Qt appends a display name to every
  // window caption, and the main window's caption is "FormVelmar" alone.
  setApplicationName(ApplicationTitle(QDir::toNativeSeparators(applicationFilePath()), QDir::separator()));
  setWindowIcon(QIcon(QString::fromLatin1(kIconResource)));
  // Only the quit request ends the loop; closing a dialog never does.
  setQuitOnLastWindowClosed(false);
}

void TApplication::ShowMainWindow(TFormVelmar& form) {
  switch (RequestedShowState()) {
    case ShowState::Maximized:
      form.showMaximized();
      break;
    case ShowState::MinimizedNoActivate:
      form.setAttribute(Qt::WA_ShowWithoutActivating);
      form.showMinimized();
      break;
    case ShowState::Normal:
      form.show();
      break;
  }
}

void TApplication::RunMessageLoop() {
  Release();
  exec();  // the status is always 0: the quit request is the only way out
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
  bool handled = false;
  RunGuarded([&] { handled = QApplication::notify(receiver, event); });
  return handled;
}
