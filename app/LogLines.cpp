#include "LogLines.h"

#include <cstring>

#include "CodePage.h"

std::string TraceTextOf(const dbv::SQLTRACEDesc& record) {
  return std::string(record.TraceText, strnlen(record.TraceText, sizeof record.TraceText));
}

std::vector<std::u16string> DisplayLines(std::string_view text) {
  const std::u16string decoded = FromCodePage950(text);
  std::vector<std::u16string> lines(1);
  for (std::size_t at = 0; at < decoded.size(); ++at) {
    const char16_t c = decoded[at];
    if (c == u'\r' && at + 1 < decoded.size() && decoded[at + 1] == u'\n') {
      lines.emplace_back();
      ++at;
    } else if (c == u'\r') {
      lines.back().push_back(u'\u240D');
    } else if (c == u'\n') {
      lines.back().push_back(u'\u240A');
    } else {
      lines.back().push_back(c);
    }
  }
  return lines;
}
