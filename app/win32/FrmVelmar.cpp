#include "FrmVelmar.h"

#include <algorithm>
#include <vector>

#include "Application.h"
#include "Exceptions.h"
#include "WindowClass.h"
#include "WindowLayout.h"

namespace {

constexpr wchar_t kClassName[] = L"TFormVelmar";
constexpr COLORREF ColourOf(window_layout::Colour colour) {
  return RGB(colour.red, colour.green, colour.blue);
}
constexpr COLORREF kLogBackground = ColourOf(window_layout::kMemo1Background);
constexpr COLORREF kLogText = ColourOf(window_layout::kMemo1Text);
constexpr UINT_PTR kTimerId = 1;
enum ControlId { kPanel1 = 1, kPanel2, kPanel3, kMemo1 };

HFONT LayoutFont() {
  const HDC screen = GetDC(nullptr);
  const int pixelsPerInch = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return CreateFontW(-MulDiv(window_layout::kFontPoints, pixelsPerInch, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE,
                     FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                     DEFAULT_PITCH | FF_DONTCARE, Wide(window_layout::kFontFamily));
}

void Place(HWND window, int left, int top, int width, int height) {
  SetWindowPos(window, nullptr, left, top, std::max(0, width), std::max(0, height), SWP_NOZORDER | SWP_NOACTIVATE);
}

// The program's folder as the code page of the INI files and messages knows
// it, without the file name.
std::string ProgramDirectory() {
  std::vector<char> path(MAX_PATH);
  DWORD length = 0;
  while ((length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()))) == path.size()) {
    path.resize(path.size() * 2);
  }
  const std::string file(path.data(), length);
  const std::size_t separator = file.find_last_of('\\');
  return separator == std::string::npos ? std::string() : file.substr(0, separator);
}

}  // namespace

TTimer::TTimer(HWND window, UINT_PTR id, UINT interval) : window_(window), id_(id) {
  if (SetTimer(window, id, interval, nullptr) == 0) throw Exception(FormVelmarLogic::NoTimersText);
  active_ = true;
}

void TTimer::Stop() {
  if (!active_) return;
  KillTimer(window_, id_);
  active_ = false;
}

TFormVelmar::TFormVelmar(std::unique_ptr<UpgradeRun> run) : FormVelmarLogic(std::move(run)) {
  CreateComponents(ProgramDirectory());
  TApplication::Instance().SetMainWindow(handle_.get());
}

TFormVelmar::~TFormVelmar() { DestroyComponents(); }

// The main window itself comes first here: Win32 child windows need their
// parent. It stays hidden until shown.
void TFormVelmar::BuildLayout() {
  TApplication& application = TApplication::Instance();
  RegisterWindowClass(kClassName, &ForwardingProcedure<TFormVelmar>, application.Icon(),
                      reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1)));
  font_ = UniqueGdiObject(LayoutFont());
  logFont_ = UniqueGdiObject(LayoutFont());  // the log's own, not following the window's
  logBrush_ = UniqueGdiObject(CreateSolidBrush(kLogBackground));
  handle_ = UniqueWindow(CreateWindowExW(0, kClassName, Wide(window_layout::kCaption),
                                         WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, window_layout::kOuterWidth,
                                         window_layout::kOuterHeight, application.Handle(), nullptr,
                                         GetModuleHandleW(nullptr), this));
  if (!handle_) throw Exception("The main window could not be created");
  SendMessageW(handle_.get(), WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);

  Panel1 = std::make_unique<TPanel>(handle_.get(), kPanel1);
  Panel2 = std::make_unique<TPanel>(handle_.get(), kPanel2);
  Panel3 = std::make_unique<TPanel>(handle_.get(), kPanel3);
  // Editable, wrapped at its width (no horizontal auto-scroll), no scroll
  // bars, following the insertion point; no length limit.
  Memo1 = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
                          WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN, 0, 0,
                          0, 0, Panel3->Handle(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(kMemo1)),
                          GetModuleHandleW(nullptr), nullptr);
  if (Memo1 == nullptr) throw Exception("The log view could not be created");
  SendMessageW(Memo1, WM_SETFONT, reinterpret_cast<WPARAM>(logFont_.get()), FALSE);
  SendMessageW(Memo1, EM_SETLIMITTEXT, 0, 0);
  LayOut();
}

void TFormVelmar::ArmTimer() {
  Timer1 = std::make_unique<TTimer>(handle_.get(), kTimerId, window_layout::kTimer1Interval);
}

void TFormVelmar::StopTimer() { Timer1->Stop(); }

void TFormVelmar::EnsureNativeWindow() {}  // made with the layout, its children's parent

// Hidden only: the window itself is destroyed with its parts.
void TFormVelmar::TakeOffScreen() { ShowWindow(handle_.get(), SW_HIDE); }

void TFormVelmar::FreeVisualParts() {
  Panel3.reset();  // Memo1 with it
  Memo1 = nullptr;
  Panel2.reset();
  Panel1.reset();
  ForgetOwner(handle_.get());
  TApplication::Instance().MainWindowDestroyed(handle_.get());
  handle_.reset();
}

void TFormVelmar::FreeTimer() { Timer1.reset(); }

// The strips keep their heights; Panel3 and, inside its bevel, Memo1 take the rest.
void TFormVelmar::LayOut() {
  if (!Panel3) return;
  RECT client;
  GetClientRect(handle_.get(), &client);
  const int width = client.right;
  const int height = client.bottom;
  const int top = window_layout::kPanel1Height;
  const int bottom = window_layout::kPanel2Height;
  const int bevel = window_layout::kPanelBevel;
  Place(Panel1->Handle(), 0, 0, width, top);
  Place(Panel2->Handle(), 0, height - bottom, width, bottom);
  const int middle = height - top - bottom;
  Place(Panel3->Handle(), 0, top, width, middle);
  Place(Memo1, bevel, bevel, width - 2 * bevel, middle - 2 * bevel);
}

void TFormVelmar::PlaceOnDesktop() {
  if (placed_) return;
  placed_ = true;
  RECT frame;
  GetWindowRect(handle_.get(), &frame);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  const int left = window_layout::CentredOnDesktop(GetSystemMetrics(SM_CXVIRTUALSCREEN), width);
  const int top = window_layout::CentredOnDesktop(GetSystemMetrics(SM_CYVIRTUALSCREEN), height);
  SetWindowPos(handle_.get(), nullptr, left, top, 0, 0, SWP_NOZORDER | SWP_NOSIZE | SWP_NOACTIVATE);
}

// Every line ends with CR LF in the view, the insertion point after it. Text
// the user typed without a line end before it is ended first, so the line
// starts on a line of its own: the view's last line then starts before its end.
void TFormVelmar::AddLogLines(const std::vector<std::u16string>& lines) {
  const LRESULT length = SendMessageW(Memo1, WM_GETTEXTLENGTH, 0, 0);
  const LRESULT lastLine = SendMessageW(Memo1, EM_GETLINECOUNT, 0, 0) - 1;
  std::u16string text = SendMessageW(Memo1, EM_LINEINDEX, static_cast<WPARAM>(lastLine), 0) < length ? u"\r\n" : u"";
  for (const std::u16string& line : lines) text += line + u"\r\n";
  SendMessageW(Memo1, EM_SETSEL, static_cast<WPARAM>(length), length);
  SendMessageW(Memo1, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(Wide(text)));
  SendMessageW(Memo1, EM_SCROLLCARET, 0, 0);
}

// Painted before returning, the log view with it: nothing else draws while
// the run holds the message loop. Only what changed is painted: the log view
// marks the lines it changed or scrolled itself.
void TFormVelmar::RepaintNow() {
  RedrawWindow(handle_.get(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

LRESULT TFormVelmar::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_TIMER:
      if (wParam == kTimerId && Timer1) TimerTicked(Timer1.get());
      return 0;
    case WM_SIZE:
      LayOut();
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE && Memo1 != nullptr) {
        SetFocus(Memo1);
        return 0;
      }
      break;
    case WM_SETFOCUS:
      // The focus given to the window itself (restored from minimised, a
      // box's focus handed back) goes on to the log, its only control.
      if (Memo1 != nullptr) SetFocus(Memo1);
      return 0;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
      if (reinterpret_cast<HWND>(lParam) == Memo1) {
        const HDC dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, kLogText);
        SetBkColor(dc, kLogBackground);
        return reinterpret_cast<LRESULT>(logBrush_.get());
      }
      break;
    case WM_SYSCOMMAND:
      // Minimised with the application: the task-bar entry is the
      // application window's.
      if ((wParam & 0xFFF0) == SC_MINIMIZE) {
        ShowWindow(TApplication::Instance().Handle(), SW_MINIMIZE);
        ShowWindow(window, SW_HIDE);
        return 0;
      }
      break;
    case WM_CLOSE:
      // The close button, the system menu and Alt+F4 end the program the
      // same way: the window stays on screen until tear-down.
      RequestClose();
      return 0;
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}
