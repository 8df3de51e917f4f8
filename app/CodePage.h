// The one place where program text (code page 950 bytes) becomes Unicode for
// the window toolkit: log lines, dialog texts, captions. Converted by the C
// library's iconv on Linux (CodePagePosix.cpp) and by the system on Windows
// (CodePageWin32.cpp).
#pragma once

#include <string>
#include <string_view>

// UTF-16. Bytes that do not decode become U+FFFD, one per byte, so nothing is
// dropped; a NUL byte stays a NUL.
std::u16string FromCodePage950(std::string_view bytes);
