// The trace callback of one connection (option 9) and the owner identity
// copied into every record (option 12). Events go out synchronously, one per
// operation against the server, and only while a callback is installed.
#pragma once

#include <cstdint>
#include <string_view>

#include "DriverContract.h"

namespace dbvfb {

class Tracer {
 public:
  void setCallback(dbv::TraceCallback callback) { callback_ = callback; }
  void setOwner(std::uint32_t owner) { owner_ = owner; }
  dbv::TraceCallback callback() const { return callback_; }
  std::uint32_t owner() const { return owner_; }

  // Callers test this before composing a text, so nothing is built for nobody.
  bool active() const { return callback_ != nullptr; }

  // A text longer than the record holds is cut to 1023 bytes and a NUL. The
  // callback's answer means nothing to the driver, and whatever it throws
  // stays here.
  void emit(std::int32_t category, std::string_view text) const noexcept;

 private:
  dbv::TraceCallback callback_ = nullptr;
  std::uint32_t owner_ = 0;
};

}  // namespace dbvfb
