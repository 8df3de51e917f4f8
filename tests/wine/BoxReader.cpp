// boxreader.exe: reads and answers the Windows program's windows from outside,
// for the end-to-end tests under Wine (xdotool sees neither the text of a
// message box nor its icon). Run in the same Wine prefix as the program.
//
//   boxreader wait SECONDS     waits for a message box and prints one line:
//                              ICON<TAB>CAPTION<TAB>TEXT, ICON being warning,
//                              stop, other or none, the texts in UTF-8 with
//                              CR, LF, tab and backslash written as \r, \n,
//                              \t and a doubled backslash
//   boxreader ok               presses OK in the message box, waits until it is gone
//   boxreader shown TITLE SECONDS
//                              waits for a visible window captioned TITLE
//   boxreader close TITLE      closes the window captioned TITLE as its close
//                              button does
//   boxreader activate TITLE   makes the window captioned TITLE the foreground
//                              window, as a click on its task-bar entry does
//   boxreader state TITLE      prints one line for the top-level window
//                              captioned TITLE, shown or not: normal,
//                              maximised or minimised; visible or hidden; and
//                              of its thread the class of the active window
//                              and of the focus window (active=... focus=...)
//   boxreader run SHOW PROGRAM starts PROGRAM with SHOW (a ShowWindow number,
//                              7 for SW_SHOWMINNOACTIVE) in its start-up
//                              information, as a shortcut starts it, waits
//                              for it and exits with its status
// Exit status 0 on success, 1 when the window did not come (or go), 2 on a
// wrong call (and for run: the program's own status).
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

std::wstring TextOf(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

std::string Utf8(const std::wstring& text) {
  std::string out;
  for (wchar_t c : text) {
    if (c == L'\r') {
      out += "\\r";
    } else if (c == L'\n') {
      out += "\\n";
    } else if (c == L'\t') {
      out += "\\t";
    } else if (c == L'\\') {
      out += "\\\\";
    } else {
      char bytes[8];
      const int length = WideCharToMultiByte(CP_UTF8, 0, &c, 1, bytes, sizeof bytes, nullptr, nullptr);
      out.append(bytes, static_cast<std::size_t>(length > 0 ? length : 0));
    }
  }
  return out;
}

HWND FindBox() {
  HWND found = nullptr;
  EnumWindows(
      [](HWND window, LPARAM result) -> BOOL {
        if (IsWindowVisible(window) && ClassOf(window) == L"#32770") {
          *reinterpret_cast<HWND*>(result) = window;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

// Visible only, unless hidden ones are asked for too.
HWND FindTitled(const std::wstring& title, bool hiddenToo = false) {
  struct Search {
    std::wstring title;
    bool hiddenToo;
    HWND found = nullptr;
  } search{title, hiddenToo};
  EnumWindows(
      [](HWND window, LPARAM data) -> BOOL {
        auto* s = reinterpret_cast<Search*>(data);
        if ((s->hiddenToo || IsWindowVisible(window)) && ClassOf(window) != L"#32770" && TextOf(window) == s->title) {
          s->found = window;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

template <class Find>
HWND WaitFor(Find find, double seconds) {
  for (int waited = 0; waited <= seconds * 1000; waited += 50) {
    if (HWND window = find()) return window;
    Sleep(50);
  }
  return nullptr;
}

// A 32 x 32 image as pixels, from the screen or drawn by this process. An
// icon handle of another process cannot be drawn here, so the box's icon is
// read off the screen and set against the system's icons drawn here on the
// same background.
class Image {
 public:
  Image() {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), kSide, -kSide, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    dc_ = CreateCompatibleDC(nullptr);
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0);
    old_ = SelectObject(dc_, bitmap_);
  }
  ~Image() {
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  Image(const Image&) = delete;
  Image& operator=(const Image&) = delete;

  void FromScreen(const RECT& at) {
    const HDC screen = GetDC(nullptr);
    BitBlt(dc_, 0, 0, kSide, kSide, screen, at.left, at.top, SRCCOPY);
    ReleaseDC(nullptr, screen);
    GdiFlush();
  }
  void FromIcon(HICON icon, DWORD background) {
    const HBRUSH brush = CreateSolidBrush(RGB(GetRValue(background), GetGValue(background), GetBValue(background)));
    RECT all{0, 0, kSide, kSide};
    FillRect(dc_, &all, brush);
    DeleteObject(brush);
    DrawIconEx(dc_, 0, 0, icon, kSide, kSide, 0, nullptr, DI_NORMAL);
    GdiFlush();
  }
  // The colour of the top-left pixel as a COLORREF.
  DWORD Corner() const { return RGB((bits_[0] >> 16) & 0xFF, (bits_[0] >> 8) & 0xFF, bits_[0] & 0xFF); }
  int Differences(const Image& other) const {
    int count = 0;
    for (int i = 0; i < kSide * kSide; ++i) count += (bits_[i] & 0xFFFFFF) != (other.bits_[i] & 0xFFFFFF);
    return count;
  }

 private:
  static constexpr int kSide = 32;
  HDC dc_;
  HBITMAP bitmap_;
  HGDIOBJ old_;
  DWORD* bits_ = nullptr;
};

const char* IconName(HWND box) {
  HWND iconStatic = nullptr;
  EnumChildWindows(
      box,
      [](HWND child, LPARAM found) -> BOOL {
        if (ClassOf(child) == L"Static" && (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
          *reinterpret_cast<HWND*>(found) = child;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&iconStatic));
  if (iconStatic == nullptr || SendMessageW(iconStatic, STM_GETICON, 0, 0) == 0) return "none";
  // A box just shown may not have painted its icon yet: read it again for a while.
  for (int attempt = 0; attempt < 40; ++attempt, Sleep(50)) {
    RECT at;
    GetWindowRect(iconStatic, &at);
    Image shown;
    shown.FromScreen(at);
    Image system;
    system.FromIcon(LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_WARNING)), shown.Corner());
    if (shown.Differences(system) == 0) return "warning";
    system.FromIcon(LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_HAND)), shown.Corner());
    if (shown.Differences(system) == 0) return "stop";
  }
  return "other";
}

std::wstring BoxText(HWND box) {
  std::wstring text;
  EnumChildWindows(
      box,
      [](HWND child, LPARAM data) -> BOOL {
        if (ClassOf(child) == L"Static" && (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) != SS_ICON) {
          *reinterpret_cast<std::wstring*>(data) = TextOf(child);
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&text));
  return text;
}

std::string StateOf(HWND window) {
  std::string state = IsIconic(window) ? "minimised" : IsZoomed(window) ? "maximised" : "normal";
  state += IsWindowVisible(window) ? " visible" : " hidden";
  GUITHREADINFO thread{};
  thread.cbSize = sizeof thread;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &thread)) return state + " (no thread state)";
  const auto classOf = [](HWND shown) { return shown != nullptr ? Utf8(ClassOf(shown)) : std::string("none"); };
  return state + " active=" + classOf(thread.hwndActive) + " focus=" + classOf(thread.hwndFocus);
}

int RunShown(WORD show, const wchar_t* program) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = show;
  std::wstring commandLine = L"\"" + std::wstring(program) + L"\"";
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(program, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    std::fprintf(stderr, "boxreader: the program could not be started (Windows error %lu)\n", GetLastError());
    return 2;
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD status = 2;
  GetExitCodeProcess(process.hProcess, &status);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return static_cast<int>(status);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  _setmode(_fileno(stdout), _O_BINARY);  // a line ends with LF alone, as the shell reads it
  const std::wstring command = argc > 1 ? argv[1] : L"";
  if (command == L"wait" && argc == 3) {
    const HWND box = WaitFor(FindBox, _wtof(argv[2]));
    if (box == nullptr) return 1;
    std::printf("%s\t%s\t%s\n", IconName(box), Utf8(TextOf(box)).c_str(), Utf8(BoxText(box)).c_str());
    return 0;
  }
  if (command == L"ok" && argc == 2) {
    const HWND box = FindBox();
    if (box == nullptr) return 1;
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    return WaitFor([box]() -> HWND { return IsWindow(box) && IsWindowVisible(box) ? nullptr : box; }, 5) ? 0 : 1;
  }
  if (command == L"shown" && argc == 4) {
    const std::wstring title = argv[2];
    return WaitFor([&] { return FindTitled(title); }, _wtof(argv[3])) ? 0 : 1;
  }
  if (command == L"close" && argc == 3) {
    const HWND window = FindTitled(argv[2]);
    if (window == nullptr) return 1;
    PostMessageW(window, WM_CLOSE, 0, 0);
    return 0;
  }
  if (command == L"activate" && argc == 3) {
    const HWND window = FindTitled(argv[2]);
    return window != nullptr && SetForegroundWindow(window) ? 0 : 1;
  }
  if (command == L"state" && argc == 3) {
    const HWND window = FindTitled(argv[2], true);
    if (window == nullptr) return 1;
    std::printf("%s\n", StateOf(window).c_str());
    return 0;
  }
  if (command == L"run" && argc == 4) return RunShown(static_cast<WORD>(_wtoi(argv[2])), argv[3]);
  std::fprintf(stderr,
               "usage: boxreader wait SECONDS | ok | shown TITLE SECONDS | close TITLE | activate TITLE | state "
               "TITLE | run SHOW PROGRAM\n");
  return 2;
}
