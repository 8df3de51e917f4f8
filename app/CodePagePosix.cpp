#include <iconv.h>

#include <cerrno>
#include <stdexcept>

#include "CodePage.h"

namespace {

class Converter {
 public:
  Converter() : cd_(iconv_open("UTF-16LE", "CP950")) {
    if (cd_ == reinterpret_cast<iconv_t>(-1))
      throw std::runtime_error("The CP950 conversion of the C library is not available");
  }
  ~Converter() { iconv_close(cd_); }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  std::u16string Decode(std::string_view bytes) {
    std::u16string text;
    text.reserve(bytes.size());
    char* in = const_cast<char*>(bytes.data());  // iconv's signature only; it never writes input
    std::size_t inLeft = bytes.size();
    char buffer[4096];
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    while (inLeft > 0) {
      char* out = buffer;
      std::size_t outLeft = sizeof buffer;
      const std::size_t done = iconv(cd_, &in, &inLeft, &out, &outLeft);
      Append(text, buffer, static_cast<std::size_t>(out - buffer));
      if (done != static_cast<std::size_t>(-1) || errno == E2BIG) continue;
      // EILSEQ (no such character) or EINVAL (a lead byte cut off at the end).
      text.push_back(u'\uFFFD');
      ++in;
      --inLeft;
      iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    }
    return text;
  }

 private:
  static void Append(std::u16string& text, const char* utf16le, std::size_t length) {
    for (std::size_t at = 0; at + 1 < length; at += 2) {
      text.push_back(static_cast<char16_t>(static_cast<unsigned char>(utf16le[at]) |
                                           static_cast<unsigned char>(utf16le[at + 1]) << 8));
    }
  }

  iconv_t cd_;
};

}  // namespace

std::u16string FromCodePage950(std::string_view bytes) {
  // One thread only: a single converter serves every call.
  static Converter converter;
  return converter.Decode(bytes);
}
