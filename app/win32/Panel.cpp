#include "Panel.h"

#include "Exceptions.h"
#include "WindowClass.h"

namespace {
constexpr wchar_t kClassName[] = L"TPanel";
}  // namespace

TPanel::TPanel(HWND parent, int id) {
  RegisterWindowClass(kClassName, &ForwardingProcedure<TPanel>, nullptr,
                      reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1)));
  handle_ = UniqueWindow(CreateWindowExW(0, kClassName, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 0, 0,
                                         parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                         GetModuleHandleW(nullptr), this));
  if (!handle_) throw Exception("A panel could not be created");
}

TPanel::~TPanel() {
  ForgetOwner(handle_.get());
  handle_.reset();
}

LRESULT TPanel::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      const HDC dc = BeginPaint(window, &paint);
      RECT bounds;
      GetClientRect(window, &bounds);
      DrawEdge(dc, &bounds, BDR_RAISEDINNER, BF_RECT);
      EndPaint(window, &paint);
      return 0;
    }
    case WM_SIZE:
      // The bevel runs along the edges: all of it moves with a new size,
      // not only the part Windows uncovers.
      InvalidateRect(window, nullptr, TRUE);
      return 0;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
      return SendMessageW(GetParent(window), message, wParam, lParam);
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}
