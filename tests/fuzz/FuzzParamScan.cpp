// The parameter-marker scan on arbitrary statement texts: never a crash, and
// no name holds one of the bytes that end a name.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "ParamScan.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::size_t colons = 0;
  for (char c : text) colons += c == ':';
  const auto names = ParamMarkerNames(text);
  if (names.size() > colons) std::abort();
  for (const auto& name : names) {
    if (name.find_first_of(" \r\n,;)") != std::string::npos) std::abort();
  }
  return 0;
}
