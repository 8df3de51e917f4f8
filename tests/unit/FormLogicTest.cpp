// The window logic against a recording face and desktop, no toolkit at all:
// the order the window's parts are made and freed in, when the start timer's
// tick runs the upgrade, and every way the run ends (which box, what it says,
// the close request before the report).
#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "Desktop.h"
#include "FormVelmarLogic.h"
#include "QuitRequest.h"
#include "RunOutcomes.h"
#include "ScriptedRun.h"

namespace {

struct SeenBox {
  BoxIcon icon;
  std::u16string caption;
  std::u16string text;
  bool quitPending;  // a close request had been posted when the box showed

  bool operator==(const SeenBox&) const = default;
};

class RecordingDesktop : public Desktop {
 public:
  std::vector<SeenBox> boxes;
  bool exited = false;

  std::u16string ApplicationTitle() const override { return u"Corvantis"; }
  void ShowMessageBox(BoxIcon icon, const std::u16string& caption, const std::u16string& text) override {
    boxes.push_back({icon, caption, text, QuitRequestPending()});
    Drain();  // the box's own loop takes queued calls too
  }
  void PostToLoop(std::function<void()> call) override { queue_.push_back(std::move(call)); }
  void ExitLoop() override { exited = true; }

  // The message loop: runs what is queued, and what that queues, to the end.
  void Drain() {
    while (!queue_.empty()) {
      auto call = std::move(queue_.front());
      queue_.pop_front();
      call();
    }
  }

 private:
  std::deque<std::function<void()>> queue_;
};

// A face that only records what the logic asks of it, into the same list as
// the run's calls, so that their order shows.
class RecordingForm : public FormVelmarLogic {
 public:
  RecordingForm(Step gate, Step script, std::vector<std::string>& calls)
      : FormVelmarLogic(std::make_unique<ScriptedRun>(gate, script, calls)), calls_(calls) {
    CreateComponents("/opt/corvantis");
  }
  ~RecordingForm() override { DestroyComponents(); }

  using FormVelmarLogic::TimerTicked;
  using FormVelmarLogic::WindowShown;

 private:
  void Record(std::string part) {
    if (SQLMonitor1) part += " (monitor alive)";
    if (SQLQuery1) part += " (query alive)";
    calls_.push_back(std::move(part));
  }
  void BuildLayout() override { Record("build layout"); }
  void ArmTimer() override { Record(SQLConnection1 && SQLQuery1 ? "arm timer" : "arm timer before the database objects"); }
  void StopTimer() override { Record("stop timer"); }
  void EnsureNativeWindow() override { Record("ensure native window"); }
  void TakeOffScreen() override { Record("take off screen"); }
  void FreeVisualParts() override { Record("free visual parts"); }
  void FreeTimer() override { Record("free timer"); }
  void AddLogLines(const std::vector<std::u16string>&) override { Record("lines"); }
  void RepaintNow() override { Record("repaint"); }

  std::vector<std::string>& calls_;
};

}  // namespace

TEST(FormLogic, PartsAreMadeAndFreedInTheWindowsOrder) {
  RecordingDesktop desktop;
  std::vector<std::string> calls;
  auto form = std::make_unique<RecordingForm>(Step::Passes, Step::Passes, calls);
  EXPECT_EQ(calls, (std::vector<std::string>{"build layout", "arm timer (query alive)",
                                             "ensure native window (monitor alive) (query alive)"}));
  EXPECT_EQ(form->SQLMonitor1->SQLConnection(), form->SQLConnection1.get());
  EXPECT_FALSE(form->SQLMonitor1->Active());

  calls.clear();
  form.reset();
  EXPECT_EQ(calls, (std::vector<std::string>{"stop timer (monitor alive) (query alive)",
                                             "take off screen (monitor alive) (query alive)",
                                             "free visual parts (monitor alive) (query alive)",
                                             "free timer (query alive)"}));
}

TEST(FormLogic, TheRunStartsAtTheFirstTickAfterTheWindowWasShownPaintedOrNot) {
  RecordingDesktop desktop;
  std::vector<std::string> calls;
  RecordingForm form(Step::Passes, Step::Passes, calls);
  calls.clear();
  form.TimerTicked(nullptr);
  EXPECT_TRUE(calls.empty()) << "a tick before the window was shown ran something";
  form.WindowShown();
  form.TimerTicked(nullptr);
  EXPECT_EQ(calls, (std::vector<std::string>{"stop timer (monitor alive) (query alive)", "gate", "script"}));
  desktop.Drain();
  EXPECT_TRUE(desktop.exited);
}

TEST(FormLogic, EveryWayTheRunEnds) {
  for (const RunOutcome& row : kRunOutcomes) {
    SCOPED_TRACE(row.name);
    RecordingDesktop desktop;
    std::vector<std::string> calls;
    RecordingForm form(row.gate, row.script, calls);
    form.WindowShown();
    calls.clear();
    form.TimerTicked(nullptr);
    desktop.Drain();
    std::vector<std::string> expected = {"stop timer (monitor alive) (query alive)", "gate"};
    if (row.scriptRuns) expected.push_back("script");
    EXPECT_EQ(calls, expected);
    std::vector<SeenBox> boxes;
    if (row.box) {
      const std::u16string caption =
          row.box->caption.empty() ? desktop.ApplicationTitle() : std::u16string(row.box->caption);
      boxes.push_back({row.box->icon, caption, std::u16string(row.box->text), row.box->quitPending});
    }
    EXPECT_EQ(desktop.boxes, boxes);
    EXPECT_EQ(desktop.exited, row.endsByItself);
    EXPECT_FALSE(QuitRequestPending());
  }
}

TEST(FormLogic, ATraceLineFailureIsReportedOnceTheLoopRunsAgain) {
  RecordingDesktop desktop;
  std::vector<std::string> calls;
  struct FailingForm : RecordingForm {
    explicit FailingForm(std::vector<std::string>& calls) : RecordingForm(Step::Passes, Step::Passes, calls) {}
    void AddLogLines(const std::vector<std::u16string>&) override { throw EDatabaseError("no room for the line"); }
  } form(calls);
  dbv::SQLTRACEDesc record{};
  for (int i = 0; i < 3; ++i) form.SQLMonitor1LogTrace(form.SQLMonitor1.get(), &record);
  EXPECT_TRUE(desktop.boxes.empty()) << "a box was shown from inside the driver's call";
  desktop.Drain();
  EXPECT_EQ(desktop.boxes, (std::vector<SeenBox>{{BoxIcon::Stop, u"Corvantis", u"no room for the line.", false}}))
      << "one report for a burst of failing lines";
}
