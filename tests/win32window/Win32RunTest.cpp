// The Win32 window's run: the start timer, every way the handler ends as the
// user sees it (the boxes read back through Win32), the order of close
// request, report and exit, and the log lines it shows.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "Application.h"
#include "ErrorReport.h"
#include "Exceptions.h"
#include "FrmVelmar.h"
#include "QuitRequest.h"
#include "RunOutcomes.h"
#include "ScriptedRun.h"
#include "ShowState.h"
#include "Win32Handles.h"
#include "Win32WindowSupport.h"

namespace {

constexpr char16_t kTitle[] = u"win32window_tests";  // from win32window_tests.exe

dbv::SQLTRACEDesc Record(const std::string& bytes) {
  dbv::SQLTRACEDesc record;
  std::memset(&record, 0, sizeof record);
  std::memcpy(record.TraceText, bytes.data(), std::min(bytes.size(), sizeof record.TraceText));
  return record;
}

std::u16string LogOf(const TFormVelmar& form) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(form.Memo1)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(form.Memo1, text.data(), static_cast<int>(text.size()))));
  return Utf16(text.c_str());
}

// The thread's active and focus windows as Windows keeps them.
std::pair<HWND, HWND> ActiveAndFocus() {
  GUITHREADINFO thread{};
  thread.cbSize = sizeof thread;
  GetGUIThreadInfo(GetCurrentThreadId(), &thread);
  return {thread.hwndActive, thread.hwndFocus};
}

}  // namespace

TEST(Win32Run, NoTickBeforeTheWindowIsShownThenExactlyOneRun) {
  std::vector<std::string> log;
  auto run = std::make_unique<ScriptedRun>(Step::AbortsSilently, Step::Passes, log);
  ScriptedRun& calls = *run;
  TFormVelmar form(std::move(run));
  PumpFor(1600);
  EXPECT_EQ(calls.gateCalls, 0) << "the run started while the window was hidden";
  EXPECT_TRUE(form.Timer1->Active());
  const DWORD shown = GetTickCount();
  TApplication::ShowMainWindow(form, ShowState::Normal);
  ASSERT_TRUE(WaitFor([&] { return calls.gateCalls == 1; }, 5000)) << "no run after showing";
  EXPECT_LE(GetTickCount() - shown, 2500u);
  EXPECT_FALSE(form.Timer1->Active()) << "the handler did not switch the timer off";
  PumpFor(1500);
  EXPECT_EQ(calls.gateCalls, 1);
}

TEST(Win32Run, EveryWayTheHandlerEnds) {
  for (const RunOutcome& row : kRunOutcomes) {
    SCOPED_TRACE(row.name);
    std::vector<std::string> log;
    TFormVelmar form(std::make_unique<ScriptedRun>(row.gate, row.script, log));
    BoxWatcher watcher(300, form.Handle());
    TApplication::ShowMainWindow(form, ShowState::Normal);
    const bool ended = RunMainLoop(4000);
    EXPECT_EQ(ended, row.endsByItself);
    std::vector<SeenBox> boxes;
    if (row.box) {
      boxes.push_back({std::u16string(row.box->caption.empty() ? kTitle : row.box->caption),
                       std::u16string(row.box->text),
                       row.box->icon == BoxIcon::Warning ? ShownIcon::Warning : ShownIcon::Stop, row.box->quitPending,
                       false});
    }
    EXPECT_EQ(watcher.seen, boxes);
    EXPECT_TRUE(IsWindowVisible(form.Handle())) << "the window left the screen before tear-down";
    EXPECT_EQ(ActiveAndFocus(), std::make_pair(form.Handle(), form.Memo1)) << "after the run's boxes";
    SetActiveWindow(TApplication::Instance().Handle());  // as a click on the task-bar entry does
    PumpFor(100);
    EXPECT_EQ(ActiveAndFocus(), std::make_pair(form.Handle(), form.Memo1)) << "after the task-bar entry";
    if (!ended) {
      // The user closes the window that stayed.
      PostMessageW(form.Handle(), WM_CLOSE, 0, 0);
      EXPECT_TRUE(RunMainLoop(3000)) << "closing the window did not end the loop";
    }
    EXPECT_FALSE(QuitRequestPending());
  }
}

// Whatever state the process was started in, the main window shows in it and
// the run starts; maximised, the strips keep their heights.
TEST(Win32Run, EveryStartUpShowStateShowsTheWindowAndStartsTheRun) {
  struct Row {
    const char* name;
    ShowState state;
    bool mainVisible;
    bool mainZoomed;
    bool applicationIconic;
  };
  const std::vector<Row> rows = {
      {"normal", ShowState::Normal, true, false, false},
      {"maximised: the main window fills the screen", ShowState::Maximized, true, true, false},
      {"minimised without activation: the task-bar entry only", ShowState::MinimizedNoActivate, false, false, true},
  };
  const HWND application = TApplication::Instance().Handle();
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    std::vector<std::string> log;
    auto run = std::make_unique<ScriptedRun>(Step::AbortsSilently, Step::Passes, log);
    ScriptedRun& calls = *run;
    TFormVelmar form(std::move(run));
    TApplication::ShowMainWindow(form, row.state);
    EXPECT_EQ(IsWindowVisible(form.Handle()) != FALSE, row.mainVisible);
    EXPECT_EQ(IsZoomed(form.Handle()) != FALSE, row.mainZoomed);
    EXPECT_FALSE(IsIconic(form.Handle())) << "the main window itself is never minimised";
    EXPECT_EQ(IsIconic(application) != FALSE, row.applicationIconic);
    EXPECT_TRUE(WaitFor([&] { return calls.gateCalls == 1; }, 5000)) << "the run did not start";
    if (row.mainZoomed) {
      RECT client;
      GetClientRect(form.Handle(), &client);
      RECT top;
      RECT bottom;
      GetClientRect(form.Panel1->Handle(), &top);
      GetClientRect(form.Panel2->Handle(), &bottom);
      EXPECT_EQ(top.bottom, 10);
      EXPECT_EQ(bottom.bottom, 41);
      EXPECT_EQ(bottom.right, client.right);
    }
    ShowWindow(application, SW_SHOWNOACTIVATE);  // back for the next row
  }
}

TEST(Win32Run, AStartUpFailureIsShownUnderApplicationError) {
  BoxWatcher watcher(100);
  ReportStartupFailure(std::make_exception_ptr(Exception("Not enough timers available")));
  EXPECT_EQ(watcher.seen,
            (std::vector<SeenBox>{{u"Application Error", u"Not enough timers available", ShownIcon::Stop, false, false}}));
}

TEST(Win32Run, TheLogShowsEachRecordAsLinesAtOnce) {
  struct Row {
    const char* name;
    std::u16string typed;  // by the user, before the first line
    std::vector<std::string> texts;
    std::u16string shown;
  };
  const std::vector<Row> rows = {
      {"one line each, each ended by CR LF", u"", {"first", "second"}, u"first\r\nsecond\r\n"},
      {"an empty first line stays a line", u"", {std::string("\0x", 2), "second"}, u"\r\nsecond\r\n"},
      {"Big5 shown as Unicode", u"", {"\xA4\x40\xAF\xEB"}, u"\u4E00\u822C\r\n"},  // 一般
      {"CR LF inside: several lines; a lone LF: none", u"", {"SELECT *\r\nFROM T", "a\nb"},
       u"SELECT *\r\nFROM T\r\na\u240Ab\r\n"},
      {"a full field: 1024 bytes, nothing after", u"", {std::string(1024, 'x')}, std::u16string(1024, u'x') + u"\r\n"},
      {"typed without a line end: the line starts on a line of its own", u"abc", {"first"}, u"abc\r\nfirst\r\n"},
      {"typed with a line end: no empty line between", u"abc\r", {"first"}, u"abc\r\nfirst\r\n"},
      {"typed past the view's width: still ended", std::u16string(200, u'w'), {"first"},
       std::u16string(200, u'w') + u"\r\nfirst\r\n"},
  };
  for (const Row& row : rows) {
    std::vector<std::string> log;
    TFormVelmar form(std::make_unique<ScriptedRun>(Step::AbortsSilently, Step::Passes, log));
    for (const char16_t key : row.typed) SendMessageW(form.Memo1, WM_CHAR, key, 0);  // Enter types CR LF
    for (const std::string& text : row.texts) {
      dbv::SQLTRACEDesc record = Record(text);
      form.SQLMonitor1LogTrace(form.SQLMonitor1.get(), &record);
    }
    EXPECT_EQ(LogOf(form), row.shown) << row.name;
  }
}

// The repaint after a line paints what the line changed before the handler
// returns (WM_PAINT sent to the log view, seen by a hook on the thread's sent
// messages), takes no queued message meanwhile, and leaves on screen what a
// repaint of the whole window shows.
namespace {

struct LogPaints {
  static HWND log;
  static int count;
  static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
    const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && sent->message == WM_PAINT && sent->hwnd == log) ++count;
    return CallNextHookEx(nullptr, code, wParam, lParam);
  }
};
HWND LogPaints::log = nullptr;
int LogPaints::count = 0;

// The log view's pixels as they are on screen.
std::vector<COLORREF> Shown(HWND window) {
  RECT client;
  GetClientRect(window, &client);
  const HDC dc = GetDC(window);
  std::vector<COLORREF> pixels;
  for (int y = 0; y < client.bottom; y += 2) {
    for (int x = 0; x < client.right; x += 2) pixels.push_back(GetPixel(dc, x, y));
  }
  ReleaseDC(window, dc);
  return pixels;
}

}  // namespace

TEST(Win32Run, EachLineIsPaintedBeforeTheHandlerReturns) {
  std::vector<std::string> log;
  TFormVelmar form(std::make_unique<ScriptedRun>(Step::AbortsSilently, Step::Passes, log));
  ShowWindow(form.Handle(), SW_SHOWNORMAL);
  PumpFor(200);
  bool queuedRan = false;
  TApplication::Instance().PostToLoop([&] { queuedRan = true; });
  LogPaints::log = form.Memo1;
  for (int line = 0; line < 40; ++line) {  // past the view's height: the view scrolls
    LogPaints::count = 0;
    const HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, &LogPaints::Hook, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    dbv::SQLTRACEDesc record = Record("WWWWWWWWWWWWWWWWWWWW " + std::to_string(line));
    form.SQLMonitor1LogTrace(form.SQLMonitor1.get(), &record);
    UnhookWindowsHookEx(hook);
    ASSERT_GT(LogPaints::count, 0) << "line " << line << " was not painted at once";
  }
  EXPECT_FALSE(queuedRan) << "a queued message ran during the handler";
  const std::vector<COLORREF> shown = Shown(form.Memo1);
  EXPECT_GT(std::count_if(shown.begin(), shown.end(), IsLogText), 20) << "the lines do not show";
  RedrawWindow(form.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  EXPECT_TRUE(shown == Shown(form.Memo1)) << "the screen lags behind the log";
  PumpFor(100);
  EXPECT_TRUE(queuedRan);
}
