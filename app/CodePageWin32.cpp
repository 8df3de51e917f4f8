#include <windows.h>

#include "CodePage.h"

namespace {

constexpr unsigned kCodePage = 950;

// Decodes one character's bytes; false when the system refuses them.
bool DecodePiece(const char* bytes, int length, std::u16string& out) {
  wchar_t wide[2];
  const int count = MultiByteToWideChar(kCodePage, MB_ERR_INVALID_CHARS, bytes, length, wide, 2);
  if (count <= 0) return false;
  out.append(reinterpret_cast<const char16_t*>(wide), static_cast<std::size_t>(count));
  return true;
}

}  // namespace

std::u16string FromCodePage950(std::string_view bytes) {
  std::u16string out;
  out.reserve(bytes.size());
  std::size_t at = 0;
  while (at < bytes.size()) {
    const bool lead = IsDBCSLeadByteEx(kCodePage, static_cast<BYTE>(bytes[at])) && at + 1 < bytes.size();
    const int length = lead ? 2 : 1;
    if (DecodePiece(bytes.data() + at, length, out)) {
      at += static_cast<std::size_t>(length);
    } else {
      out.push_back(u'\uFFFD');
      ++at;  // the byte after a refused lead byte gets its own chance
    }
  }
  return out;
}
