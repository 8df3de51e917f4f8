// The driver error text for any status, message and last error text: never
// empty, and the driver's message, when given, always stands in it whole.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

#include "DriverError.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  const std::uint16_t status = static_cast<std::uint16_t>(data[0] | (data[1] << 8));
  const bool giveMessage = (data[2] & 1) != 0;
  const std::string rest(reinterpret_cast<const char*>(data) + 3, size - 3);
  const auto split = rest.find('\x01');
  const std::string message = rest.substr(0, split);
  const std::string lastError = split == std::string::npos ? "" : rest.substr(split + 1);
  const auto text = driver_error::Compose(
      status, [&]() -> std::optional<std::string> { return giveMessage ? std::optional(message) : std::nullopt; },
      lastError);
  if (text.empty()) std::abort();
  if (giveMessage && text.find("SQL Server Error: " + message) == std::string::npos) std::abort();
  return 0;
}
