// Every way the start timer's handler can end, seen from the user's side:
// which dialog comes, what it says, whether the window stays, and the order
// of close request, report and exit.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>

#include <vector>

#include "FrmVelmar.h"
#include "QuitRequest.h"
#include "WindowTestSupport.h"

namespace {

const QString kPreviousPackFirst = QString::fromUtf8("請先完成舊版PACK");

struct Outcome {
  const char* name;
  Step gate;
  Step script;
  bool dialog;
  QString caption;  // empty: the application title
  QString text;
  QMessageBox::Icon icon;
  bool scriptRuns;
  bool closeRequestBeforeDialog;
  bool windowStays;  // true: only the user's close ends the loop
};

}  // namespace

TEST(WindowOutcome, TimerHandlerOutcomes) {
  const std::vector<Outcome> rows = {
      {"gate finds UPDATE_HIST missing: warning, window stays", Step::Missing, Step::Passes, true, "Warning",
       kPreviousPackFirst, QMessageBox::Warning, false, false, true},
      {"gate probe fails: report with full stop, window stays", Step::Fails, Step::Passes, true, "",
       QString(kGateFailure) + ".", QMessageBox::Critical, false, false, true},
      {"gate aborts silently: nothing shown, window stays", Step::AbortsSilently, Step::Passes, false, "", "",
       QMessageBox::NoIcon, false, false, true},
      {"script fails: close request, then the report, then exit", Step::Passes, Step::Fails, true, "",
       QString(kScriptFailure) + ".", QMessageBox::Critical, true, true, false},
      {"script succeeds: exit without a dialog", Step::Passes, Step::Passes, false, "", "", QMessageBox::NoIcon, true,
       false, false},
  };
  for (const Outcome& row : rows) {
    SCOPED_TRACE(row.name);
    std::vector<std::string> log;
    auto run = std::make_unique<ScriptedRun>(row.gate, row.script, log);
    ScriptedRun& calls = *run;
    TFormVelmar form(std::move(run));
    DialogAnswerer answerer(500);
    bool openAfterRun = false;
    bool quitPendingAfterRun = true;
    // A window that stays is closed by the user a while after the run.
    const auto userCloses = [&] {
      QTimer::singleShot(800, [&] {
        openAfterRun = form.isVisible();
        quitPendingAfterRun = QuitRequestPending();
        log.push_back("user closes");
        form.close();
      });
    };
    answerer.afterAnswer = [&] {
      log.push_back("dialog answered");
      if (row.windowStays) userCloses();
    };
    if (row.windowStays && !row.dialog) calls.onGate = userCloses;
    form.show();
    ASSERT_EQ(RunMainLoop(), 0) << "the loop did not end with status 0";
    log.push_back("loop ended");

    EXPECT_EQ(calls.gateCalls, 1);
    EXPECT_EQ(calls.scriptCalls, row.scriptRuns ? 1 : 0);
    ASSERT_EQ(answerer.seen.size(), row.dialog ? 1u : 0u);
    if (row.dialog) {
      const SeenDialog& d = answerer.seen.front();
      EXPECT_EQ(d.caption, row.caption.isEmpty() ? QCoreApplication::applicationName() : row.caption);
      EXPECT_EQ(d.text, row.text);
      EXPECT_EQ(d.icon, row.icon);
      EXPECT_EQ(d.buttons, QStringList{"OK"});
      EXPECT_TRUE(d.okIsDefaultAndEscape);
      EXPECT_TRUE(d.applicationModal);
      EXPECT_EQ(d.quitPendingWhenShown, row.closeRequestBeforeDialog);
      EXPECT_TRUE(d.visibleWhenAnswered) << "the dialog went away before the user answered it";
    }
    if (row.windowStays) {
      EXPECT_TRUE(openAfterRun);
      EXPECT_FALSE(quitPendingAfterRun) << "the run asked to end the program";
      EXPECT_EQ(log.back(), "loop ended");
      EXPECT_EQ(log[log.size() - 2], "user closes");
    } else if (row.dialog) {
      EXPECT_EQ(log, (std::vector<std::string>{"gate", "script", "dialog answered", "loop ended"}));
    }
    EXPECT_TRUE(form.isVisible()) << "the window left the screen before tear-down";
  }
}

TEST(WindowOutcome, WarningIsDismissedByEnterEscapeAndCloseButton) {
  for (Dismiss how : {Dismiss::Enter, Dismiss::Escape, Dismiss::CloseButton}) {
    SCOPED_TRACE(static_cast<int>(how));
    std::vector<std::string> log;
    TFormVelmar form(std::make_unique<ScriptedRun>(Step::Missing, Step::Passes, log));
    DialogAnswerer answerer(100, how);
    form.show();
    ASSERT_TRUE(WaitFor([&] { return answerer.seen.size() == 1; }, 5000));
    EXPECT_TRUE(WaitFor([] { return QApplication::activeModalWidget() == nullptr; }, 1000))
        << "the warning is still open";
    EXPECT_EQ(answerer.seen.size(), 1u);
  }
}

TEST(WindowOutcome, FailureWhileTheReportIsOpenAfterCloseStillShowsAndExits) {
  // The close request comes first; the report that follows must still wait
  // for the user, however long, and only then does the loop end.
  std::vector<std::string> log;
  TFormVelmar form(std::make_unique<ScriptedRun>(Step::Passes, Step::Fails, log));
  DialogAnswerer answerer(2500);
  form.show();
  ASSERT_EQ(RunMainLoop(), 0);
  ASSERT_EQ(answerer.seen.size(), 1u);
  EXPECT_TRUE(answerer.seen.front().quitPendingWhenShown);
  EXPECT_TRUE(answerer.seen.front().visibleWhenAnswered);
}
