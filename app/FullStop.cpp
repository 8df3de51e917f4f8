#include "FullStop.h"

#include "TextRules.h"

namespace {

constexpr unsigned char kFullStop = 0x2E;

// Index of the first byte of the last character; characters are found from
// the start, since a trail byte alone cannot tell where a character begins.
std::size_t LastCharacterStart(const std::string& text) {
  std::size_t start = 0;
  for (std::size_t at = 0; at < text.size();) {
    start = at;
    at += IsBig5LeadByte(static_cast<unsigned char>(text[at])) && at + 1 < text.size() ? 2 : 1;
  }
  return start;
}

}  // namespace

std::string WithFullStop(std::string message) {
  if (!message.empty() && static_cast<unsigned char>(message[LastCharacterStart(message)]) > kFullStop)
    message.push_back('.');
  return message;
}
