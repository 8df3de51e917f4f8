#include "WindowTestSupport.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QPushButton>
#include <QApplication>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QKeyEvent>
#include <QPointer>
#include <QTimer>

#include "Application.h"
#include "QuitRequest.h"

namespace {

// One application object for the whole tier, as the program has one.
class ApplicationEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    application_ = std::make_unique<TApplication>(name_);
  }
  void TearDown() override { application_.reset(); }

 private:
  char name_[13] = "window_tests";
  std::unique_ptr<TApplication> application_;
};

[[maybe_unused]] auto* const environment = ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment);

}  // namespace

struct DialogAnswerer::Watch {
  QTimer poll;
  QPointer<QMessageBox> current;
  QElapsedTimer shownFor;
  SeenDialog pending;
};

DialogAnswerer::DialogAnswerer(int answerAfterMs, Dismiss how) : watch_(std::make_unique<Watch>()) {
  watch_->poll.setInterval(20);
  QObject::connect(&watch_->poll, &QTimer::timeout, [this, answerAfterMs, how] {
    Watch& w = *watch_;
    if (!w.current) {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (!box || !box->isVisible()) return;
      w.current = box;
      w.shownFor.start();
      SeenDialog& d = w.pending;
      d = {};
      d.caption = box->windowTitle();
      d.text = box->text();
      d.icon = box->icon();
      for (QAbstractButton* button : box->buttons()) d.buttons << button->text();
      d.okIsDefaultAndEscape = box->buttons().size() == 1 && static_cast<QAbstractButton*>(box->defaultButton()) == box->buttons().front() &&
                               box->escapeButton() == box->buttons().front();
      d.applicationModal = box->windowModality() == Qt::ApplicationModal;
      d.quitPendingWhenShown = QuitRequestPending();
      return;
    }
    if (w.shownFor.elapsed() < answerAfterMs) return;
    w.pending.visibleWhenAnswered = w.current->isVisible();
    seen.push_back(w.pending);
    QMessageBox* box = w.current;
    w.current = nullptr;
    if (how == Dismiss::CloseButton) {
      box->close();
    } else {
      QKeyEvent key(QEvent::KeyPress, how == Dismiss::Enter ? Qt::Key_Return : Qt::Key_Escape, Qt::NoModifier);
      QApplication::sendEvent(box, &key);
    }
    if (afterAnswer) QTimer::singleShot(0, afterAnswer);
  });
  watch_->poll.start();
}

DialogAnswerer::~DialogAnswerer() = default;

int RunMainLoop(int limitMs) {
  QTimer limit;
  limit.setSingleShot(true);
  QObject::connect(&limit, &QTimer::timeout, [] { QCoreApplication::exit(-99); });
  limit.start(limitMs);
  return QApplication::exec();
}

bool WaitFor(const std::function<bool()>& condition, int limitMs) {
  QElapsedTimer clock;
  clock.start();
  while (!condition()) {
    if (clock.elapsed() > limitMs) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  return true;
}

void WaitMs(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}
