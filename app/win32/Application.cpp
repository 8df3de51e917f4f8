#include "Application.h"

#include <memory>
#include <vector>

#include "ApplicationTitle.h"
#include "Exceptions.h"
#include "FrmVelmar.h"
#include "WindowClass.h"

namespace {

constexpr wchar_t kClassName[] = L"TApplication";
constexpr wchar_t kIconName[] = L"MAINICON";
constexpr UINT kPostedCall = WM_APP + 1;  // lParam: a std::function<void()> the loop runs and deletes

std::u16string ExecutablePath() {
  std::vector<wchar_t> path(MAX_PATH);
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) return std::u16string(reinterpret_cast<const char16_t*>(path.data()), length);
    path.resize(path.size() * 2);
  }
}

// The program's other windows are disabled while a box is open and enabled
// again afterwards, as the box is modal to the whole program. The box's owner
// is left to the box: the dialog manager disables it and enables it again
// before the box is destroyed, so that Windows hands activation back to it.
// Enabled only after the box is gone, it would be passed over, and Windows
// would activate another program's window.
class DisabledThreadWindows {
 public:
  explicit DisabledThreadWindows(HWND boxOwner) : boxOwner_(boxOwner) {
    EnumThreadWindows(GetCurrentThreadId(), &Disable, reinterpret_cast<LPARAM>(this));
  }
  ~DisabledThreadWindows() {
    for (HWND window : windows_) EnableWindow(window, TRUE);
  }
  DisabledThreadWindows(const DisabledThreadWindows&) = delete;
  DisabledThreadWindows& operator=(const DisabledThreadWindows&) = delete;

 private:
  static BOOL CALLBACK Disable(HWND window, LPARAM self) {
    auto& disabled = *reinterpret_cast<DisabledThreadWindows*>(self);
    if (window != disabled.boxOwner_ && IsWindowVisible(window) && IsWindowEnabled(window)) {
      disabled.windows_.push_back(window);
      EnableWindow(window, FALSE);
    }
    return TRUE;
  }
  HWND boxOwner_;
  std::vector<HWND> windows_;
};

}  // namespace

TApplication::TApplication(const char*) : title_(::ApplicationTitle(ExecutablePath(), u'\\')) {
  icon_ = LoadIconW(GetModuleHandleW(nullptr), kIconName);
  RegisterWindowClass(kClassName, &ForwardingProcedure<TApplication>, icon_, nullptr);
  // No size of its own: its only part on screen is its task-bar entry.
  const int left = GetSystemMetrics(SM_CXSCREEN) / 2;
  const int top = GetSystemMetrics(SM_CYSCREEN) / 2;
  handle_ = UniqueWindow(CreateWindowExW(0, kClassName, Wide(title_),
                                         WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX, left,
                                         top, 0, 0, nullptr, nullptr, GetModuleHandleW(nullptr), this));
  if (!handle_) throw Exception("The application window could not be created");
}

TApplication::~TApplication() {
  // Calls still queued when the loop ended are never run.
  MSG message;
  while (PeekMessageW(&message, handle_.get(), kPostedCall, kPostedCall, PM_REMOVE)) {
    delete reinterpret_cast<std::function<void()>*>(message.lParam);
  }
  ForgetOwner(handle_.get());
  handle_.reset();
}

// The one desktop of the Windows program is this face's application object.
TApplication& TApplication::Instance() { return static_cast<TApplication&>(Desktop::Current()); }

void TApplication::SetMainWindow(HWND window) {
  if (mainWindow_ == nullptr) mainWindow_ = window;
}

void TApplication::ShowMainWindow(TFormVelmar& form) { ShowMainWindow(form, RequestedShowState()); }

// Windows gives the process's first ShowWindow call the show state of the
// start-up information in place of its own command, so that call must be the
// main window's (the application's when it starts minimised): the task-bar
// entry is shown without ShowWindow. Windows does not send WM_SHOWWINDOW for
// every way a window becomes visible, so the mark is set here.
void TApplication::ShowMainWindow(TFormVelmar& form, ShowState state) {
  TApplication& application = Instance();
  form.PlaceOnDesktop();
  switch (state) {
    case ShowState::Maximized:
      application.ShowTaskBarEntry();
      ShowWindow(form.Handle(), SW_SHOWMAXIMIZED);
      break;
    case ShowState::MinimizedNoActivate:
      // The application starts minimised: its task-bar entry only, the main
      // window comes back with it.
      ShowWindow(application.Handle(), SW_SHOWMINNOACTIVE);
      break;
    case ShowState::Normal:
      application.ShowTaskBarEntry();
      ShowWindow(form.Handle(), SW_SHOWNORMAL);
      // A start-up state the program does not take (minimised with
      // activation, hidden...) replaced that first command: a second call
      // is taken as it is.
      if (IsIconic(form.Handle()) || IsZoomed(form.Handle()) || !IsWindowVisible(form.Handle())) {
        ShowWindow(form.Handle(), SW_SHOWNORMAL);
      }
      break;
  }
  form.MarkShown();
}

void TApplication::ShowTaskBarEntry() {
  SetWindowPos(handle_.get(), nullptr, 0, 0, 0, 0,
               SWP_SHOWWINDOW | SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
}

void TApplication::RunMessageLoop() {
  MSG message;
  // The status is always 0: the quit request is the only way out.
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

void TApplication::ShowMessageBox(BoxIcon icon, const std::u16string& caption, const std::u16string& text) {
  const HWND active = GetActiveWindow();
  const UINT style = MB_OK | (icon == BoxIcon::Warning ? MB_ICONWARNING : MB_ICONSTOP);
  {
    DisabledThreadWindows disabled(active);
    MessageBoxW(active, Wide(text), Wide(caption), style);
  }
  if (active != nullptr) SetActiveWindow(active);
}

void TApplication::PostToLoop(std::function<void()> call) {
  auto posted = std::make_unique<std::function<void()>>(std::move(call));
  if (!PostMessageW(handle_.get(), kPostedCall, 0, reinterpret_cast<LPARAM>(posted.get()))) {
    throw Exception("The message queue is full");
  }
  posted.release();  // the loop deletes it once run
}

// Ends the main loop; never called while a dialog runs its own loop (the
// quit request waits for it), where WM_QUIT would end that loop instead.
void TApplication::ExitLoop() { PostQuitMessage(0); }

LRESULT TApplication::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case kPostedCall: {
      const std::unique_ptr<std::function<void()>> call(reinterpret_cast<std::function<void()>*>(lParam));
      (*call)();
      return 0;
    }
    case WM_CLOSE:
      // Closing the task-bar entry closes the main window, as its close button does.
      if (mainWindow_ != nullptr) PostMessageW(mainWindow_, WM_CLOSE, 0, 0);
      return 0;
    case WM_ACTIVATE:
      // The task-bar entry's window is only a handle for the user (a click
      // on the entry, Alt+Tab): activation goes on to the main window, or to
      // the box it has open. Minimised, the main window is hidden and the
      // entry stays active until it is restored.
      if (LOWORD(wParam) != WA_INACTIVE && HIWORD(wParam) == 0 && mainWindow_ != nullptr &&
          IsWindowVisible(mainWindow_)) {
        SetActiveWindow(GetLastActivePopup(mainWindow_));
        return 0;
      }
      break;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_RESTORE && mainWindow_ != nullptr) {
        const LRESULT result = DefWindowProcW(window, message, wParam, lParam);
        ShowWindow(mainWindow_, SW_SHOW);
        SetForegroundWindow(mainWindow_);
        return result;
      }
      break;
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}
