// A fresh folder under the system's temporary directory, removed with
// everything in it when the object goes.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

namespace support {

class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "corvantis-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }

  const std::filesystem::path& Path() const { return path_; }
  std::string PathOf(const std::string& relative) const { return (path_ / relative).string(); }

  // Writes bytes exactly as given (folders on the way are made); answers the full path.
  std::string Write(const std::string& relative, const std::string& bytes) const {
    const std::filesystem::path file = path_ / relative;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << bytes;
    return file.string();
  }

  void Remove(const std::string& relative) const { std::filesystem::remove(path_ / relative); }

 private:
  std::filesystem::path path_;
};

}  // namespace support
