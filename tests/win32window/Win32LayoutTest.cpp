// The Win32 window as Windows reports it: sizes, owner, caption, icon, the
// strips and the log view, its font, colours and styles.
#include <gtest/gtest.h>

#include <objbase.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "Application.h"
#include "FrmVelmar.h"
#include "Panel.h"
#include "ScriptedRun.h"
#include "Win32WindowSupport.h"

namespace {

std::unique_ptr<TFormVelmar> NewForm(std::vector<std::string>& log) {
  return std::make_unique<TFormVelmar>(std::make_unique<ScriptedRun>(Step::AbortsSilently, Step::Passes, log));
}

RECT ChildRect(HWND child) {
  RECT rect;
  GetWindowRect(child, &rect);
  MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

std::vector<long> Box(RECT r) { return {r.left, r.top, r.right - r.left, r.bottom - r.top}; }

COLORREF PixelOf(HWND window, int x, int y) {
  const HDC dc = GetDC(window);
  const COLORREF colour = GetPixel(dc, x, y);
  ReleaseDC(window, dc);
  return colour;
}

}  // namespace

TEST(Win32Layout, WindowSettings) {
  std::vector<std::string> log;
  auto form = NewForm(log);
  const HWND window = form->Handle();
  RECT outer;
  GetWindowRect(window, &outer);
  EXPECT_EQ(Box(outer)[2], 471);
  EXPECT_EQ(Box(outer)[3], 327);
  wchar_t caption[32] = {};
  GetWindowTextW(window, caption, 32);
  EXPECT_STREQ(caption, L"FormVelmar");
  EXPECT_EQ(GetWindow(window, GW_OWNER), TApplication::Instance().Handle())
      << "owned by the application window, which carries the task-bar entry";
  const LONG style = GetWindowLongW(window, GWL_STYLE);
  EXPECT_TRUE(style & WS_THICKFRAME);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_TRUE(style & WS_MINIMIZEBOX);
  EXPECT_TRUE(style & WS_MAXIMIZEBOX);
  EXPECT_FALSE(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_APPWINDOW);
  EXPECT_FALSE(IsWindowVisible(window)) << "shown before the program showed it";
  EXPECT_NE(GetClassLongPtrW(window, GCLP_HICON), 0) << "no application icon";
  EXPECT_EQ(reinterpret_cast<HICON>(GetClassLongPtrW(window, GCLP_HICON)), TApplication::Instance().Icon());

  const HWND application = TApplication::Instance().Handle();
  wchar_t title[32] = {};
  GetWindowTextW(application, title, 32);
  EXPECT_STREQ(title, L"win32window_tests") << "the task-bar entry is labelled with the application title";
}

TEST(Win32Layout, StripsKeepTheirHeightsAndTheLogTakesTheRest) {
  std::vector<std::string> log;
  auto form = NewForm(log);
  for (const SIZE outer : {SIZE{471, 327}, SIZE{800, 600}, SIZE{300, 200}}) {
    SetWindowPos(form->Handle(), nullptr, 0, 0, outer.cx, outer.cy, SWP_NOMOVE | SWP_NOZORDER);
    RECT client;
    GetClientRect(form->Handle(), &client);
    const long w = client.right;
    const long h = client.bottom;
    SCOPED_TRACE("client " + std::to_string(w) + "x" + std::to_string(h));
    EXPECT_EQ(Box(ChildRect(form->Panel1->Handle())), (std::vector<long>{0, 0, w, 10}));
    EXPECT_EQ(Box(ChildRect(form->Panel2->Handle())), (std::vector<long>{0, h - 41, w, 41}));
    EXPECT_EQ(Box(ChildRect(form->Panel3->Handle())), (std::vector<long>{0, 10, w, h - 51}));
    EXPECT_EQ(GetParent(form->Memo1), form->Panel3->Handle());
    EXPECT_EQ(Box(ChildRect(form->Memo1)), (std::vector<long>{1, 1, w - 2, h - 53})) << "inside Panel3's bevel";
  }
}

TEST(Win32Layout, LogViewSettings) {
  std::vector<std::string> log;
  auto form = NewForm(log);
  const HWND memo = form->Memo1;
  const LONG style = GetWindowLongW(memo, GWL_STYLE);
  EXPECT_TRUE(style & ES_MULTILINE);
  EXPECT_FALSE(style & ES_AUTOHSCROLL) << "long lines must wrap";
  EXPECT_FALSE(style & (WS_VSCROLL | WS_HSCROLL)) << "no scroll bars";
  EXPECT_FALSE(style & ES_READONLY) << "the user can type into the log";
  EXPECT_TRUE(GetWindowLongW(memo, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) << "sunken border";
  EXPECT_GE(SendMessageW(memo, EM_GETLIMITTEXT, 0, 0), 0x7FFFFFFE) << "a length limit is set";
  EXPECT_EQ(GetWindowTextLengthW(memo), 0);

  LOGFONTW font{};
  ASSERT_NE(GetObjectW(reinterpret_cast<HFONT>(SendMessageW(memo, WM_GETFONT, 0, 0)), sizeof font, &font), 0);
  EXPECT_STREQ(font.lfFaceName, L"MS Sans Serif");
  const HDC screen = GetDC(nullptr);
  EXPECT_EQ(font.lfHeight, -MulDiv(8, GetDeviceCaps(screen, LOGPIXELSY), 72)) << "8 points";
  ReleaseDC(nullptr, screen);
  EXPECT_EQ(font.lfWeight, FW_NORMAL);
  EXPECT_NE(SendMessageW(memo, WM_GETFONT, 0, 0), SendMessageW(form->Handle(), WM_GETFONT, 0, 0))
      << "the log has a font of its own";
}

TEST(Win32Layout, RenderedLogIsLimeOnBlackInsideFacePanels) {
  std::vector<std::string> log;
  auto form = NewForm(log);
  ShowWindow(form->Handle(), SW_SHOWNORMAL);
  form->AppendLogLines("WWWWWWWW MMMMMMMM");
  form->RepaintNow();
  RECT memo;
  GetClientRect(form->Memo1, &memo);
  int lime = 0;
  int black = 0;
  for (int y = 0; y < 20; ++y) {
    for (int x = 0; x < 120; ++x) {
      const COLORREF c = PixelOf(form->Memo1, x, y);
      lime += IsLogText(c);
      black += c == RGB(0, 0, 0);
    }
  }
  EXPECT_GT(lime, 20) << "no lime text in the log";
  EXPECT_GT(black, 1000) << "the log's background is not black";
  EXPECT_EQ(PixelOf(form->Memo1, memo.right - 3, memo.bottom - 3), RGB(0, 0, 0));
  EXPECT_EQ(PixelOf(form->Panel2->Handle(), 20, 20), GetSysColor(COLOR_BTNFACE)) << "the strips are 3D face";
}

// The strips' one-pixel raised bevel as it shows after each resize: light
// along the left edge, shadow along the right one, face between, and no
// shadow left where the right edge was before.
TEST(Win32Layout, TheStripsKeepTheirBevelWhenResized) {
  std::vector<std::string> log;
  auto form = NewForm(log);
  ShowWindow(form->Handle(), SW_SHOWNORMAL);
  PumpFor(200);
  long before = 0;
  for (const SIZE outer : {SIZE{700, 400}, SIZE{350, 250}, SIZE{471, 327}}) {
    SetWindowPos(form->Handle(), nullptr, 0, 0, outer.cx, outer.cy, SWP_NOMOVE | SWP_NOZORDER);
    PumpFor(300);
    for (const TPanel* strip : {form->Panel1.get(), form->Panel2.get()}) {
      RECT client;
      GetClientRect(strip->Handle(), &client);
      const int middle = client.bottom / 2;
      SCOPED_TRACE("outer width " + std::to_string(outer.cx) + ", strip height " + std::to_string(client.bottom));
      EXPECT_EQ(PixelOf(strip->Handle(), 0, middle), GetSysColor(COLOR_BTNHIGHLIGHT)) << "left edge";
      EXPECT_EQ(PixelOf(strip->Handle(), client.right - 1, middle), GetSysColor(COLOR_BTNSHADOW)) << "right edge";
      EXPECT_EQ(PixelOf(strip->Handle(), client.right - 2, middle), GetSysColor(COLOR_BTNFACE)) << "inside";
      if (before > 0 && before < client.right) {
        EXPECT_EQ(PixelOf(strip->Handle(), before - 1, middle), GetSysColor(COLOR_BTNFACE)) << "the old right edge";
      }
    }
    RECT client;
    GetClientRect(form->Panel1->Handle(), &client);
    before = client.right;
  }
}

TEST(Win32Layout, FirstShowingCentresOnTheDesktopOnce) {
  std::vector<std::string> log;
  auto form = NewForm(log);
  form->PlaceOnDesktop();
  RECT outer;
  GetWindowRect(form->Handle(), &outer);
  EXPECT_EQ(outer.left, (GetSystemMetrics(SM_CXVIRTUALSCREEN) - 471) / 2);
  EXPECT_EQ(outer.top, (GetSystemMetrics(SM_CYVIRTUALSCREEN) - 327) / 2);
  SetWindowPos(form->Handle(), nullptr, 5, 6, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  form->PlaceOnDesktop();
  GetWindowRect(form->Handle(), &outer);
  EXPECT_EQ(outer.left, 5) << "placed again";
}

// The application object put the thread into a single-threaded apartment:
// entering it again only counts.
TEST(Win32Layout, TheThreadLivesInACOMApartment) {
  const HRESULT entered = CoInitialize(nullptr);
  EXPECT_EQ(entered, S_FALSE) << "COM was not initialised on the thread";
  if (SUCCEEDED(entered)) CoUninitialize();
}
