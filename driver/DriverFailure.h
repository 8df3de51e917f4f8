// A failure the driver detects itself (no connection, a wrong column number, a
// refused option), with the status its caller receives and the message kept
// for the error-text calls.
#pragma once

#include <cstdint>
#include <string>

namespace dbvfb {

struct DriverFailure {
  std::uint16_t status;
  std::string message;
  bool connectionLost = false;  // the call could not be made: the attachment is gone
};

[[noreturn]] inline void fail(std::uint16_t status, std::string message) {
  throw DriverFailure{status, std::move(message), false};
}

}  // namespace dbvfb
