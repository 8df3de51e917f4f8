// The INI reader on arbitrary bytes: it must not crash, and every entry it
// hands back must be a trimmed single line, whatever the input.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "IniFile.h"
#include "TextRules.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  // The first byte picks the section name's length, taken from the input's tail.
  const std::size_t nameLength = std::min<std::size_t>(data[0] % 12, size - 1);
  std::string_view all(reinterpret_cast<const char*>(data) + 1, size - 1);
  std::string_view section = all.substr(all.size() - nameLength);
  for (const auto& entry : IniFile::SectionOfText(all, section)) {
    if (entry.empty() || entry.find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos) std::abort();
    if (TrimView(entry).size() != entry.size()) std::abort();
    if (entry.front() == ';') std::abort();
  }
  return 0;
}
