// Per-user settings private to one test, starting empty, so that the
// machine's own settings play no part: ScopedUserSettings, one kind per
// platform.
#pragma once

#ifdef _WIN32
#include "UserSettingsWin32.h"
#else
#include "UserSettingsPosix.h"
#endif
