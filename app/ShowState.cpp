#include "ShowState.h"

#ifdef _WIN32
#include <windows.h>
#endif

ShowState RequestedShowState() {
#ifdef _WIN32
  STARTUPINFOW info{};
  info.cb = sizeof info;
  GetStartupInfoW(&info);
  if (info.dwFlags & STARTF_USESHOWWINDOW) {
    if (info.wShowWindow == SW_SHOWMAXIMIZED) return ShowState::Maximized;
    if (info.wShowWindow == SW_SHOWMINNOACTIVE) return ShowState::MinimizedNoActivate;
  }
#endif
  return ShowState::Normal;
}
