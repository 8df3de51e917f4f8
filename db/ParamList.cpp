#include "ParamList.h"

#include "TextRules.h"

std::string ParamList::ValueIn(const std::vector<std::string>& lines, std::string_view name) {
  for (const std::string& line : lines) {
    const std::size_t equals = line.find('=');
    if (equals != std::string::npos && SameText(std::string_view(line).substr(0, equals), name)) {
      return line.substr(equals + 1);
    }
  }
  return {};
}

std::string ParamList::Value(const std::string& name) const { return ValueIn(lines_, name); }
