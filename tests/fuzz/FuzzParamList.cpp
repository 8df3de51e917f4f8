// Parameter lookup on arbitrary lines: a value found must be the tail of a
// line whose name matches, and a line's own name must always find a value
// no later than that line's.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "ParamList.h"
#include "TextRules.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ParamList params;
  std::string line;
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] == '\n') {
      params.Add(line);
      line.clear();
    } else {
      line.push_back(static_cast<char>(data[i]));
    }
  }
  params.Add(line);
  for (const auto& entry : params.Lines()) {
    const auto equals = entry.find('=');
    if (equals == std::string::npos) continue;
    const std::string name = entry.substr(0, equals);
    const std::string value = params.Value(name);
    bool found = false;
    for (const auto& other : params.Lines()) {
      const auto otherEquals = other.find('=');
      if (otherEquals != std::string::npos && SameText(other.substr(0, otherEquals), name)) {
        found = other.substr(otherEquals + 1) == value;
        break;  // the first matching line decides
      }
    }
    if (!found) std::abort();
  }
  return 0;
}
