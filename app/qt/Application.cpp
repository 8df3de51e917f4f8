#include "Application.h"

#include <QDir>
#include <QIcon>
#include <QMetaObject>

#include <cstdio>
#include <cstdlib>

#include "ApplicationTitle.h"
#include "ErrorReport.h"
#include "FrmVelmar.h"
#include "MessageDialog.h"
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

ProgramNameOnly::ProgramNameOnly(const char* programName) : name_(programName != nullptr ? programName : "") {
  argv_[0] = name_.data();
  argv_[1] = nullptr;
}

TApplication::TApplication(const char* programName) : ProgramNameOnly(programName), QApplication(argc_, argv_) {
  // The resource lives in a static library: nothing would pull it into the
  // program without this reference.
  Q_INIT_RESOURCE(Corvantis);
  // Only the name, not the display name: Qt appends a display name to every
  // window caption, and the main window's caption is "FormVelmar" alone.
  const QString path = QDir::toNativeSeparators(applicationFilePath());
  setApplicationName(
      QString::fromStdU16String(::ApplicationTitle(path.toStdU16String(), QDir::separator().unicode())));
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

std::u16string TApplication::ApplicationTitle() const { return applicationName().toStdU16String(); }

void TApplication::ShowMessageBox(BoxIcon icon, const std::u16string& caption, const std::u16string& text) {
  ShowMessageDialog(icon == BoxIcon::Warning ? QMessageBox::Warning : QMessageBox::Critical,
                    QString::fromStdU16String(caption), QString::fromStdU16String(text));
}

void TApplication::PostToLoop(std::function<void()> call) {
  QMetaObject::invokeMethod(this, std::move(call), Qt::QueuedConnection);
}

// exit(), not quit(): quit() asks every window to close first, and the main
// window answers a close with a quit request.
void TApplication::ExitLoop() { QCoreApplication::exit(0); }
