// The INI reader for the connection and driver registry files and the Linux
// per-user settings file.
//
// The text is single-byte and never converted. A line ends at CR, LF or CR LF;
// a NUL byte ends the text. Lines are trimmed of blanks and control characters;
// empty lines and lines starting with ";" are skipped; "[name]" opens a
// section (name trimmed); lines before the first section are ignored. An entry
// with "=" is kept as its trimmed key, "=" and its trimmed value; one without
// "=" is kept unchanged and never matches a key. Section names and keys match
// without regard to ASCII letter case. Of a repeated section the last
// occurrence is read, whole; within it the first line of a key wins.
//
// The file is read afresh, as a stream, at every use: time is linear in the
// file's size and memory is bounded by its longest line plus the section read.
#pragma once

#include <string>
#include <string_view>
#include <vector>

class IniFile {
 public:
  explicit IniFile(std::string path) : path_(std::move(path)) {}

  const std::string& Path() const { return path_; }

  // A file, not a folder, stands at the path. An empty path names none.
  // (IniFilePosix.cpp, IniFileWin32.cpp)
  bool Exists() const;

  // The entries of the section in file order; empty when the file or the
  // section is missing.
  std::vector<std::string> ReadSection(std::string_view section) const;

  // The value of the section's first entry whose key is key; empty when none.
  std::string ReadString(std::string_view section, std::string_view key) const;

  // The same reading, of bytes already in memory.
  static std::vector<std::string> SectionOfText(std::string_view text, std::string_view section);

 private:
  std::string path_;
};
