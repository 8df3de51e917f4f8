// INI text for tests: a section header and its lines, each ended by CR LF.
#pragma once

#include <string>
#include <vector>

#include "BuiltInParams.h"

namespace support {

inline std::string IniSection(const std::string& name, const std::vector<std::string>& lines) {
  std::string text = "[" + name + "]\r\n";
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

// The fourteen lines the window's layout carries, as a connection registry
// file would hold them to give the same configuration.
inline std::vector<std::string> BuiltInConnectionLines() { return BuiltInParams().Lines(); }

}  // namespace support
