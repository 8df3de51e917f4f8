// Unicode lower case for the application title: the C library's case tables
// on Linux (TextCasePosix.cpp), the system's on Windows (TextCaseWin32.cpp).
#pragma once

#include <string>

// Every character in lower case, characters outside the basic plane included.
std::u16string LowerCase(std::u16string text);
