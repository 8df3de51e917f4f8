#include <locale.h>
#include <wctype.h>

#include <stdexcept>

#include "TextCase.h"

namespace {

// The C.UTF-8 locale's tables cover all of Unicode, whatever locale the
// process runs in.
locale_t UnicodeLocale() {
  static const locale_t locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
  if (locale == static_cast<locale_t>(0)) throw std::runtime_error("The C.UTF-8 locale is not available");
  return locale;
}

void AppendUtf16(std::u16string& out, char32_t code) {
  if (code < 0x10000) {
    out.push_back(static_cast<char16_t>(code));
    return;
  }
  code -= 0x10000;
  out.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
  out.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
}

}  // namespace

std::u16string LowerCase(std::u16string text) {
  std::u16string out;
  out.reserve(text.size());
  for (std::size_t at = 0; at < text.size(); ++at) {
    char32_t code = text[at];
    if (code >= 0xD800 && code < 0xDC00 && at + 1 < text.size() && text[at + 1] >= 0xDC00 && text[at + 1] < 0xE000) {
      code = 0x10000 + ((code - 0xD800) << 10) + (text[at + 1] - 0xDC00);
      ++at;
    }
    AppendUtf16(out, static_cast<char32_t>(towlower_l(static_cast<wint_t>(code), UnicodeLocale())));
  }
  return out;
}
