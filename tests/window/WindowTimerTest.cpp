// The start timer: its one tick comes only after the window has been shown
// and painted, no earlier than its interval, and only once.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>

#include <vector>

#include "FrmVelmar.h"
#include "QuitRequest.h"
#include "WindowTestSupport.h"

namespace {

class PaintSeen : public QObject {
 public:
  bool seen = false;
  bool eventFilter(QObject*, QEvent* event) override {
    seen = seen || event->type() == QEvent::Paint;
    return false;
  }
};

}  // namespace

TEST(WindowTimer, NoTickBeforeTheWindowIsShown) {
  std::vector<std::string> log;
  auto run = std::make_unique<ScriptedRun>(Step::AbortsSilently, Step::Passes, log);
  ScriptedRun& calls = *run;
  TFormVelmar form(std::move(run));
  WaitMs(1600);
  EXPECT_EQ(calls.gateCalls, 0) << "the run started while the window was hidden";

  PaintSeen paint;
  form.installEventFilter(&paint);
  bool paintedBeforeRun = false;
  calls.onGate = [&] { paintedBeforeRun = paint.seen; };
  form.show();
  ASSERT_TRUE(WaitFor([&] { return calls.gateCalls == 1; }, 5000)) << "no run after showing";
  EXPECT_TRUE(paintedBeforeRun);
}

TEST(WindowTimer, FirstTickAfterPaintNoEarlierThanTheInterval) {
  std::vector<std::string> log;
  QElapsedTimer sinceArming;
  sinceArming.start();
  auto run = std::make_unique<ScriptedRun>(Step::AbortsSilently, Step::Passes, log);
  ScriptedRun& calls = *run;
  TFormVelmar form(std::move(run));
  PaintSeen paint;
  form.installEventFilter(&paint);
  bool paintedBeforeRun = false;
  qint64 tickAfterMs = -1;
  calls.onGate = [&] {
    paintedBeforeRun = paint.seen;
    tickAfterMs = sinceArming.elapsed();
  };
  form.show();
  ASSERT_TRUE(WaitFor([&] { return calls.gateCalls == 1; }, 5000));
  EXPECT_TRUE(paintedBeforeRun);
  EXPECT_GE(tickAfterMs, 1000) << "ticked early";
  EXPECT_FALSE(form.Timer1->isActive()) << "the handler did not switch the timer off";
  std::printf("first tick %lld ms after arming\n", static_cast<long long>(tickAfterMs));
}

// A window started minimised may get no paint at all; the run starts all the same.
TEST(WindowTimer, AMinimisedWindowRunsAtTheFirstTick) {
  std::vector<std::string> log;
  auto run = std::make_unique<ScriptedRun>(Step::AbortsSilently, Step::Passes, log);
  ScriptedRun& calls = *run;
  TFormVelmar form(std::move(run));
  form.showMinimized();
  EXPECT_TRUE(WaitFor([&] { return calls.gateCalls == 1; }, 5000)) << "no run in a minimised window";
}

TEST(WindowTimer, OneRunEvenWhenTheWarningStaysOpenLongerThanTheInterval) {
  std::vector<std::string> log;
  auto run = std::make_unique<ScriptedRun>(Step::Missing, Step::Passes, log);
  ScriptedRun& calls = *run;
  TFormVelmar form(std::move(run));
  DialogAnswerer answerer(2600);  // the warning's own loop runs past two intervals
  form.show();
  ASSERT_TRUE(WaitFor([&] { return answerer.seen.size() == 1; }, 8000)) << "no warning answered";
  WaitMs(1500);
  EXPECT_EQ(calls.gateCalls, 1);
  EXPECT_EQ(calls.scriptCalls, 0);
  EXPECT_EQ(answerer.seen.size(), 1u);
}

TEST(WindowTimer, ClosingBeforeTheFirstTickEndsWithoutARun) {
  std::vector<std::string> log;
  auto run = std::make_unique<ScriptedRun>(Step::Passes, Step::Passes, log);
  ScriptedRun& calls = *run;
  TFormVelmar form(std::move(run));
  form.show();
  bool visibleAfterClose = false;
  QTimer::singleShot(200, [&] {
    form.close();
    visibleAfterClose = form.isVisible();
  });
  EXPECT_EQ(RunMainLoop(), 0);
  EXPECT_TRUE(visibleAfterClose) << "closing hid the window before tear-down";
  EXPECT_FALSE(QuitRequestPending());
  EXPECT_EQ(calls.gateCalls, 0);
}
