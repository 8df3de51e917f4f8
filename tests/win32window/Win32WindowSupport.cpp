#include "Win32WindowSupport.h"

#include <gtest/gtest.h>

#include "Application.h"
#include "QuitRequest.h"
#include "Win32Handles.h"

namespace {

// One application object for the whole tier, as the program has one.
class ApplicationEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { application_ = std::make_unique<TApplication>("win32window_tests"); }
  void TearDown() override { application_.reset(); }

 private:
  std::unique_ptr<TApplication> application_;
};

[[maybe_unused]] auto* const environment = ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment);

std::u16string TextOf(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return Utf16(text.c_str());
}

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

}  // namespace

struct BoxWatcher::State {
  int answerAfterMs;
  HWND mainWindow;
  UINT_PTR timer = 0;
  HWND current = nullptr;
  DWORD shownAt = 0;
  SeenBox pending{};
  BoxWatcher* owner = nullptr;

  static State* active;

  static BOOL CALLBACK FindBox(HWND window, LPARAM found) {
    if (IsWindowVisible(window) && ClassOf(window) == L"#32770") {
      *reinterpret_cast<HWND*>(found) = window;
      return FALSE;
    }
    return TRUE;
  }

  // The box's statics: the one showing an icon, and the one holding the text.
  static BOOL CALLBACK ReadChild(HWND child, LPARAM seen) {
    auto& box = *reinterpret_cast<SeenBox*>(seen);
    if (ClassOf(child) != L"Static") return TRUE;
    if ((GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
      const HICON shown = reinterpret_cast<HICON>(SendMessageW(child, STM_GETICON, 0, 0));
      if (shown == LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_WARNING))) {
        box.icon = ShownIcon::Warning;
      } else if (shown == LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_HAND))) {
        box.icon = ShownIcon::Stop;
      } else {
        box.icon = ShownIcon::Other;
      }
    } else if (GetWindowTextLengthW(child) > 0 || box.text.empty()) {
      box.text = TextOf(child);
    }
    return TRUE;
  }

  void Tick() {
    if (current == nullptr) {
      HWND found = nullptr;
      EnumThreadWindows(GetCurrentThreadId(), &FindBox, reinterpret_cast<LPARAM>(&found));
      if (found == nullptr) return;
      current = found;
      shownAt = GetTickCount();
      pending = {TextOf(found), u"", ShownIcon::None, QuitRequestPending(),
                 mainWindow != nullptr && IsWindowEnabled(mainWindow) != FALSE};
      EnumChildWindows(found, &ReadChild, reinterpret_cast<LPARAM>(&pending));
      return;
    }
    if (GetTickCount() - shownAt < static_cast<DWORD>(answerAfterMs)) return;
    owner->seen.push_back(pending);
    PostMessageW(current, WM_COMMAND, IDOK, 0);
    current = nullptr;
  }

  static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD) {
    if (active != nullptr) active->Tick();
  }
};

BoxWatcher::State* BoxWatcher::State::active = nullptr;

BoxWatcher::BoxWatcher(int answerAfterMs, HWND mainWindow) : state_(std::make_unique<State>()) {
  state_->answerAfterMs = answerAfterMs;
  state_->mainWindow = mainWindow;
  state_->owner = this;
  State::active = state_.get();
  // A thread timer: message boxes run their own loops, and those dispatch it too.
  state_->timer = SetTimer(nullptr, 0, 20, &State::OnTimer);
}

BoxWatcher::~BoxWatcher() {
  KillTimer(nullptr, state_->timer);
  State::active = nullptr;
}

void PrintTo(const SeenBox& box, std::ostream* out) {
  static const char* const icons[] = {"no icon", "warning icon", "stop icon", "another icon"};
  *out << "{" << ::testing::PrintToString(box.caption) << ", " << ::testing::PrintToString(box.text) << ", "
       << icons[static_cast<int>(box.icon)] << (box.quitPending ? ", close requested" : "")
       << (box.mainWindowEnabled ? ", main window enabled" : "") << "}";
}

bool WaitFor(const std::function<bool()>& condition, int limitMs) {
  const DWORD start = GetTickCount();
  while (!condition()) {
    if (GetTickCount() - start > static_cast<DWORD>(limitMs)) return false;
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(message.wParam));  // for the loop that waits for it
        return condition();
      }
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    Sleep(5);
  }
  return true;
}

void PumpFor(int ms) { WaitFor([] { return false; }, ms); }

bool RunMainLoop(int limitMs) {
  static bool timedOut;
  timedOut = false;
  const UINT_PTR limit = SetTimer(nullptr, 0, static_cast<UINT>(limitMs), [](HWND, UINT, UINT_PTR, DWORD) {
    timedOut = true;
    PostQuitMessage(0);
  });
  TApplication::Instance().RunMessageLoop();
  KillTimer(nullptr, limit);
  return !timedOut;
}
