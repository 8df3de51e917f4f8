// The show state that whoever started the process asked for.
#pragma once

enum class ShowState { Normal, Maximized, MinimizedNoActivate };

// Windows passes it in the start-up information (ShowStateWin32.cpp); Linux
// desktops pass none, so there it is always Normal (ShowStatePosix.cpp).
ShowState RequestedShowState();
