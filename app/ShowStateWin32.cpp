#include <windows.h>

#include "ShowState.h"

ShowState RequestedShowState() {
  STARTUPINFOW info{};
  info.cb = sizeof info;
  GetStartupInfoW(&info);
  if ((info.dwFlags & STARTF_USESHOWWINDOW) == 0) return ShowState::Normal;
  switch (info.wShowWindow) {
    case SW_SHOWMAXIMIZED:
      return ShowState::Maximized;
    case SW_SHOWMINNOACTIVE:  // what a shortcut set to "Run: Minimized" asks for
      return ShowState::MinimizedNoActivate;
    default:
      return ShowState::Normal;
  }
}
