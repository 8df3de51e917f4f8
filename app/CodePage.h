// The one place where program text (code page 950 bytes) becomes Unicode for
// the window toolkit: log lines, dialog texts, captions.
#pragma once

#include <QString>

#include <string_view>

// Bytes that do not decode become U+FFFD, one per byte, so nothing is dropped.
QString FromCodePage950(std::string_view bytes);
