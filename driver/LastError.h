// The message of an object's last failed operation, handed out through the
// contract's error-length and error-text calls. It stays until the next failure.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>

#include "DriverContract.h"

namespace dbvfb {

class LastError {
 public:
  void set(std::string message) { text_ = std::move(message); }
  const std::string& text() const { return text_; }

  dbv::SQLResult length(std::uint16_t* length) const {
    if (length == nullptr) return dbv::status::InvalidParameter;
    *length = static_cast<std::uint16_t>(shownLength());
    return dbv::kSuccess;
  }

  // The buffer holds length() + 1 bytes, as the caller asked for.
  dbv::SQLResult copyTo(char* message) const {
    if (message == nullptr) return dbv::status::InvalidParameter;
    const std::size_t shown = shownLength();
    std::memcpy(message, text_.data(), shown);
    message[shown] = '\0';
    return dbv::kSuccess;
  }

 private:
  // The length travels as 16 bits; a longer message is cut there.
  std::size_t shownLength() const {
    return std::min<std::size_t>(text_.size(), std::numeric_limits<std::uint16_t>::max());
  }

  std::string text_;
};

}  // namespace dbvfb
