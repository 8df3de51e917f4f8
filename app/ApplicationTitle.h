// The application title, derived once at start from the executable's file name.
#pragma once

#include <string>

// Drop everything up to the last separator, cut at the first ".", and lower
// the case of every character after the first: TOOLBOX.EXE gives Toolbox.
std::u16string ApplicationTitle(const std::u16string& executablePath, char16_t separator);
