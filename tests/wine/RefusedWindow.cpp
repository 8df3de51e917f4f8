// Linked into a test copy of Corvantis.exe (corvantis_refusing.exe): before
// main runs, a hook on the thread refuses the creation of every window of
// the class that CORVANTIS_REFUSED_CLASS names, as Windows refuses a window
// when the desktop's resources are exhausted. The program's start-up then
// fails there.
#include <windows.h>

#include <cwchar>
#include <string>

namespace {

std::wstring RefusedClass() {
  wchar_t name[64] = {};
  const DWORD length = GetEnvironmentVariableW(L"CORVANTIS_REFUSED_CLASS", name, 64);
  return length > 0 && length < 64 ? std::wstring(name, length) : std::wstring();
}

const std::wstring refused = RefusedClass();

LRESULT CALLBACK RefuseCreation(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_CREATEWND) {
    const LPCWSTR name = reinterpret_cast<const CBT_CREATEWNDW*>(lParam)->lpcs->lpszClass;
    // A class given by its atom has no name to compare.
    const bool byName = reinterpret_cast<ULONG_PTR>(name) > 0xFFFF;
    if (byName && _wcsicmp(name, refused.c_str()) == 0) return 1;  // non-zero: the creation fails
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

[[maybe_unused]] const HHOOK hook =
    refused.empty() ? nullptr : SetWindowsHookExW(WH_CBT, &RefuseCreation, nullptr, GetCurrentThreadId());

}  // namespace
