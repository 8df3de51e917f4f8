// A fresh folder under the system's temporary directory, removed with
// everything in it when the object goes.
#pragma once

#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>
#include <string>

namespace support {

class TempDir {
 public:
  TempDir() {
    // create_directory answers false for a name already taken, so two tests
    // never share a folder.
    std::random_device seed;
    std::mt19937 random(seed());
    for (int attempt = 0; attempt < 100; ++attempt) {
      path_ = std::filesystem::temp_directory_path() / ("corvantis-" + std::to_string(random()));
      if (std::filesystem::create_directory(path_)) return;
    }
    throw std::runtime_error("no fresh temporary folder");
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }

  const std::filesystem::path& Path() const { return path_; }
  std::string PathOf(const std::string& relative) const { return (path_ / relative).make_preferred().string(); }

  // Writes bytes exactly as given (folders on the way are made); answers the full path.
  std::string Write(const std::string& relative, const std::string& bytes) const {
    const std::filesystem::path file = (path_ / relative).make_preferred();
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << bytes;
    return file.string();
  }

  void Remove(const std::string& relative) const { std::filesystem::remove(path_ / relative); }

 private:
  std::filesystem::path path_;
};

}  // namespace support
