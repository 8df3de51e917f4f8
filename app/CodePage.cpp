#include "CodePage.h"

#include <cerrno>
#include <stdexcept>
#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

namespace {

constexpr char16_t kReplacement = u'\uFFFD';
constexpr unsigned kCodePage = 950;

#ifdef _WIN32

// Decodes one piece; false when the system refuses it.
bool DecodePiece(const char* bytes, int length, QString& out) {
  wchar_t wide[2];
  const int count = MultiByteToWideChar(kCodePage, MB_ERR_INVALID_CHARS, bytes, length, wide, 2);
  if (count <= 0) return false;
  out.append(QString::fromWCharArray(wide, count));
  return true;
}

QString Decode(std::string_view bytes) {
  QString out;
  std::size_t at = 0;
  while (at < bytes.size()) {
    const bool lead = IsDBCSLeadByteEx(kCodePage, static_cast<BYTE>(bytes[at])) && at + 1 < bytes.size();
    const int length = lead ? 2 : 1;
    if (DecodePiece(bytes.data() + at, length, out)) {
      at += length;
    } else {
      out.append(QChar(kReplacement));
      ++at;  // the byte after a refused lead byte gets its own chance
    }
  }
  return out;
}

#else

class Converter {
 public:
  Converter() : cd_(iconv_open("UTF-8", "CP950")) {
    if (cd_ == reinterpret_cast<iconv_t>(-1))
      throw std::runtime_error("The CP950 conversion of the C library is not available");
  }
  ~Converter() { iconv_close(cd_); }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  QString Decode(std::string_view bytes) {
    std::string utf8;
    utf8.reserve(bytes.size() * 2);
    char* in = const_cast<char*>(bytes.data());  // iconv's signature only; it never writes input
    std::size_t inLeft = bytes.size();
    char buffer[4096];
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    while (inLeft > 0) {
      char* out = buffer;
      std::size_t outLeft = sizeof buffer;
      const std::size_t done = iconv(cd_, &in, &inLeft, &out, &outLeft);
      utf8.append(buffer, static_cast<std::size_t>(out - buffer));
      if (done != static_cast<std::size_t>(-1) || errno == E2BIG) continue;
      // EILSEQ (no such character) or EINVAL (a lead byte cut off at the end).
      utf8.append("\xEF\xBF\xBD");  // U+FFFD
      ++in;
      --inLeft;
      iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    }
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
  }

 private:
  iconv_t cd_;
};

QString Decode(std::string_view bytes) {
  // One thread only: a single converter serves every call.
  static Converter converter;
  return converter.Decode(bytes);
}

#endif

}  // namespace

QString FromCodePage950(std::string_view bytes) { return Decode(bytes); }
