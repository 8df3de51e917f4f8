#include "ParamScan.h"

#include "TextRules.h"

namespace {

bool IsQuote(char c) { return c == '\'' || c == '"' || c == '`'; }

bool EndsMarkerName(char c) {
  return c == ' ' || c == '\r' || c == '\n' || c == ',' || c == ';' || c == ')';
}

}  // namespace

std::vector<std::string> ParamMarkerNames(const std::string& text) {
  std::vector<std::string> names;
  bool insideLiteral = false;
  std::size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (IsBig5LeadByte(static_cast<unsigned char>(c))) {
      i += 2;  // its trail byte belongs to the character, even when it is a grave accent
    } else if (IsQuote(c)) {
      insideLiteral = !insideLiteral;
      ++i;
    } else if (c != ':' || insideLiteral) {
      ++i;
    } else if (i + 1 < text.size() && text[i + 1] == ':') {
      i += 2;
    } else {
      const std::size_t nameStart = ++i;
      while (i < text.size() && !EndsMarkerName(text[i])) ++i;
      names.push_back(text.substr(nameStart, i - nameStart));
    }
  }
  return names;
}
