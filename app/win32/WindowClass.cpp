#include "WindowClass.h"

#include <string>

#include "Exceptions.h"

void RegisterWindowClass(const wchar_t* name, WNDPROC procedure, HICON icon, HBRUSH background) {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof existing;
  if (GetClassInfoExW(instance, name, &existing)) return;
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_DBLCLKS;
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = instance;
  windowClass.hIcon = icon;
  windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  windowClass.hbrBackground = background;
  windowClass.lpszClassName = name;
  if (RegisterClassExW(&windowClass) == 0) {
    throw Exception("The window class could not be registered (Windows error " + std::to_string(GetLastError()) +
                    ")");
  }
}
