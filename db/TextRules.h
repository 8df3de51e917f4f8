// The small text rules the program applies to code page 950 text: Big5's
// double-byte characters, trimming, ASCII letter case and reading 32-bit
// integers. Bytes above 0x7F are never changed, so Big5 characters pass
// through intact.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Whether byte starts a double-byte character of code page 950 (Big5): 0x81
// to 0xFE. Its trail byte may be any byte from 0x40 up, quotes and the grave
// accent included.
bool IsBig5LeadByte(unsigned char byte);

// Blanks and control characters: bytes 0 to 32 and 127. No Big5 byte is one.
bool IsBlankOrControl(unsigned char byte);

// text without leading and trailing blanks and control characters.
std::string_view TrimView(std::string_view text);
std::string Trim(std::string_view text);

// Equal when ASCII letters are compared without regard to case.
bool SameText(std::string_view a, std::string_view b);

// Only the bytes A-Z, or a-z, are mapped; every other byte, above 0x7F too,
// passes unchanged, whatever the locale.
std::string LowerCaseAscii(std::string_view text);
std::string UpperCaseAscii(std::string_view text);

// A decimal integer with an optional sign that fits in 32 signed bits; nothing
// else (no blanks, no hex prefix, no fraction).
std::optional<std::int32_t> ParseInt32(std::string_view text);

// pattern with its first "%s" replaced by argument (the one-argument texts of
// the layer, kept in the form users read them).
std::string FormatText(std::string_view pattern, std::string_view argument);
