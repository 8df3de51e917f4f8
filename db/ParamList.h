// A list of "name=value" lines, as the connection's parameters are held.
#pragma once

#include <string>
#include <string_view>
#include <vector>

class ParamList {
 public:
  ParamList() = default;
  ParamList(std::initializer_list<std::string> lines) : lines_(lines) {}

  const std::vector<std::string>& Lines() const { return lines_; }
  void Clear() { lines_.clear(); }
  void Add(std::string line) { lines_.push_back(std::move(line)); }

  // The text after the first "=" of the first line whose name (the text before
  // that "=") equals name without regard to ASCII letter case; empty when no
  // line matches. A missing key and an empty value are the same thing.
  std::string Value(const std::string& name) const;
  bool Present(const std::string& name) const { return !Value(name).empty(); }

  // The same lookup in any list of lines (an INI section's entries, for one).
  static std::string ValueIn(const std::vector<std::string>& lines, std::string_view name);

 private:
  std::vector<std::string> lines_;
};
