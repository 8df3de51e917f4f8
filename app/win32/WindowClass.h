// Window classes of the Win32 face: each registered once per process, its
// procedure only forwarding each message to the C++ object that owns the
// window, found through the window's user data. Whatever escapes the object's
// handler goes to the error report, never back into Windows.
#pragma once

#include <windows.h>

#include "ErrorReport.h"

// Registers the class unless it is registered already; throws Exception with
// the system's reason when Windows refuses.
void RegisterWindowClass(const wchar_t* name, WNDPROC procedure, HICON icon, HBRUSH background);

// The object passed as the creation parameter of CreateWindowExW owns the
// window from WM_NCCREATE on; Owner::HandleMessage answers every message.
template <class Owner>
LRESULT CALLBACK ForwardingProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* owner = reinterpret_cast<Owner*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (owner == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  LRESULT result = 0;
  RunGuarded([&] { result = owner->HandleMessage(window, message, wParam, lParam); });
  return result;
}

// The owner is going: messages the window still gets (its destruction's
// own) go to the default procedure.
inline void ForgetOwner(HWND window) {
  if (window != nullptr) SetWindowLongPtrW(window, GWLP_USERDATA, 0);
}
