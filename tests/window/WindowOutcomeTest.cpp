// Every way the start timer's handler can end, seen from the user's side:
// which dialog comes, what it says, whether the window stays, and the order
// of close request, report and exit.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>

#include <vector>

#include "FrmVelmar.h"
#include "QuitRequest.h"
#include "RunOutcomes.h"
#include "WindowTestSupport.h"

namespace {

QString Text(std::u16string_view text) { return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size())); }

QMessageBox::Icon ShownIcon(BoxIcon icon) {
  return icon == BoxIcon::Warning ? QMessageBox::Warning : QMessageBox::Critical;
}

}  // namespace

TEST(WindowOutcome, TimerHandlerOutcomes) {
  for (const RunOutcome& row : kRunOutcomes) {
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
      if (!row.endsByItself) userCloses();
    };
    if (!row.endsByItself && !row.box) calls.onGate = userCloses;
    form.show();
    ASSERT_EQ(RunMainLoop(), 0) << "the loop did not end with status 0";
    log.push_back("loop ended");

    EXPECT_EQ(calls.gateCalls, 1);
    EXPECT_EQ(calls.scriptCalls, row.scriptRuns ? 1 : 0);
    ASSERT_EQ(answerer.seen.size(), row.box ? 1u : 0u);
    if (row.box) {
      const SeenDialog& d = answerer.seen.front();
      EXPECT_EQ(d.caption, row.box->caption.empty() ? QCoreApplication::applicationName() : Text(row.box->caption));
      EXPECT_EQ(d.text, Text(row.box->text));
      EXPECT_EQ(d.icon, ShownIcon(row.box->icon));
      EXPECT_EQ(d.buttons, QStringList{"OK"});
      EXPECT_TRUE(d.okIsDefaultAndEscape);
      EXPECT_TRUE(d.applicationModal);
      EXPECT_EQ(d.quitPendingWhenShown, row.box->quitPending);
      EXPECT_TRUE(d.visibleWhenAnswered) << "the dialog went away before the user answered it";
    }
    if (!row.endsByItself) {
      EXPECT_TRUE(openAfterRun);
      EXPECT_FALSE(quitPendingAfterRun) << "the run asked to end the program";
      EXPECT_EQ(log.back(), "loop ended");
      EXPECT_EQ(log[log.size() - 2], "user closes");
    } else if (row.box) {
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
