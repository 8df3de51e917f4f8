#include "IniFile.h"

#include <algorithm>
#include <array>
#include <fstream>

#include "ParamList.h"
#include "TextRules.h"

namespace {

// Collects the entries of the last occurrence of one section, line by line.
class SectionCollector {
 public:
  explicit SectionCollector(std::string_view section) : section_(section) {}

  void Line(std::string_view raw) {
    const std::string_view line = TrimView(raw);
    if (line.empty() || line.front() == ';') return;
    if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
      inSection_ = SameText(TrimView(line.substr(1, line.size() - 2)), section_);
      if (inSection_) entries_.clear();  // a later occurrence replaces the earlier one whole
      return;
    }
    if (inSection_) entries_.push_back(Entry(line));
  }

  std::vector<std::string> Take() { return std::move(entries_); }

 private:
  static std::string Entry(std::string_view line) {
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) return std::string(line);
    std::string entry = Trim(line.substr(0, equals));
    entry += '=';
    entry += TrimView(line.substr(equals + 1));
    return entry;
  }

  std::string_view section_;
  bool inSection_ = false;
  std::vector<std::string> entries_;
};

// Cuts a byte stream, fed in pieces, into lines at CR, LF or CR LF, and stops
// at the first NUL. A CR at the end of one piece and an LF at the start of the
// next make one line end.
class LineSplitter {
 public:
  explicit LineSplitter(SectionCollector& collector) : collector_(collector) {}

  // False once the text has ended at a NUL.
  bool Feed(std::string_view piece) {
    for (std::size_t pos = 0; pos < piece.size();) {
      const char* stop = std::find_if(piece.data() + pos, piece.data() + piece.size(), [](char c) {
        return c == '\r' || c == '\n' || c == '\0';
      });
      const std::size_t at = static_cast<std::size_t>(stop - piece.data());
      if (at > pos) {
        afterCR_ = false;
        line_.append(piece.substr(pos, at - pos));
      }
      if (at == piece.size()) break;
      const char c = piece[at];
      pos = at + 1;
      if (c == '\0') {
        Finish();
        return false;
      }
      if (c == '\n' && afterCR_) {
        afterCR_ = false;
        continue;
      }
      EndLine();
      afterCR_ = (c == '\r');
    }
    return true;
  }

  void Finish() {
    if (!line_.empty()) EndLine();
  }

 private:
  void EndLine() {
    collector_.Line(line_);
    line_.clear();
  }

  SectionCollector& collector_;
  std::string line_;
  bool afterCR_ = false;
};

}  // namespace

std::vector<std::string> IniFile::ReadSection(std::string_view section) const {
  SectionCollector collector(section);
  if (path_.empty()) return {};
  std::ifstream file(path_, std::ios::binary);
  if (!file) return {};  // a missing or unreadable file reads as an empty one
  LineSplitter splitter(collector);
  std::array<char, 64 * 1024> buffer;
  while (file) {
    file.read(buffer.data(), buffer.size());
    const auto count = static_cast<std::size_t>(file.gcount());
    if (count == 0) break;
    if (!splitter.Feed(std::string_view(buffer.data(), count))) return collector.Take();
  }
  splitter.Finish();
  return collector.Take();
}

std::string IniFile::ReadString(std::string_view section, std::string_view key) const {
  return ParamList::ValueIn(ReadSection(section), key);
}

std::vector<std::string> IniFile::SectionOfText(std::string_view text, std::string_view section) {
  SectionCollector collector(section);
  LineSplitter splitter(collector);
  if (splitter.Feed(text)) splitter.Finish();
  return collector.Take();
}
