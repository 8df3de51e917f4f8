#include "TextRules.h"

#include <charconv>

bool IsBig5LeadByte(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }

bool IsBlankOrControl(unsigned char byte) { return byte <= 0x20 || byte == 0x7F; }

std::string_view TrimView(std::string_view text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && IsBlankOrControl(static_cast<unsigned char>(text[begin]))) ++begin;
  while (end > begin && IsBlankOrControl(static_cast<unsigned char>(text[end - 1]))) --end;
  return text.substr(begin, end - begin);
}

std::string Trim(std::string_view text) { return std::string(TrimView(text)); }

namespace {

constexpr char kCaseDistance = 'a' - 'A';

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + kCaseDistance) : c; }
char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - kCaseDistance) : c; }

std::string MappedBytes(std::string_view text, char (*map)(char)) {
  std::string mapped(text);
  for (char& c : mapped) c = map(c);
  return mapped;
}

}  // namespace

bool SameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

std::string LowerCaseAscii(std::string_view text) { return MappedBytes(text, LowerAscii); }

std::string UpperCaseAscii(std::string_view text) { return MappedBytes(text, UpperAscii); }

std::optional<std::int32_t> ParseInt32(std::string_view text) {
  // from_chars takes "-" but not "+"; a "+" followed by another sign is no number.
  if (!text.empty() && text.front() == '+') {
    text.remove_prefix(1);
    if (!text.empty() && text.front() == '-') return std::nullopt;
  }
  if (text.empty()) return std::nullopt;
  std::int32_t value = 0;
  const char* end = text.data() + text.size();
  auto [stop, error] = std::from_chars(text.data(), end, value, 10);
  if (error != std::errc() || stop != end) return std::nullopt;
  return value;
}

std::string FormatText(std::string_view pattern, std::string_view argument) {
  std::string text(pattern);
  const std::size_t at = text.find("%s");
  if (at != std::string::npos) text.replace(at, 2, argument);
  return text;
}
