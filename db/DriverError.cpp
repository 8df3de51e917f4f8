#include "DriverError.h"

#include <array>
#include <utility>

#include "TextRules.h"

namespace driver_error {

namespace {

constexpr const char* kStatusPrefix = "Dbvance Error: %s";
constexpr const char* kServerPrefix = "SQL Server Error: %s";
constexpr const char* kUnknownStatus = "Dbvance Error: Unknown Error Code '%s'";

// 64 and 65 are decimal statuses although their entries read 0x0064 and
// 0x0065; 11 repeats the prefix's first word and 12 has no colon, as drivers
// have always reported them.
constexpr std::array<std::pair<std::uint16_t, const char*>, 26> kStatusTable{{
    {1, "[0x0001]: Warning"},
    {2, "[0x0002]: Insufficient Memory for Operation"},
    {3, "[0x0003]: Invalid Field Type"},
    {4, "[0x0004]: Invalid Handle"},
    {5, "[0x0005]: Operation Not Supported"},
    {6, "[0x0006]: Invalid Time"},
    {7, "[0x0007]: Invalid Data Translation"},
    {8, "[0x0008]: Parameter/Column out of Range"},
    {9, "[0x0009]: Invalid Parameter"},
    {10, "[0x000A]: Result set at EOF"},
    {11, "Dbvance Error [0x000B]: Parameter Not Set"},
    {12, "[0x000C] Invalid Username/Password"},
    {13, "[0x000D]: Invalid Precision"},
    {14, "[0x000E]: Invalid Length"},
    {15, "[0x000F]: Invalid Transaction Isolation Level"},
    {16, "[0x0010]: Invalid Transaction ID"},
    {17, "[0x0011]: Duplicate Transaction ID"},
    {19, "[0x0013]: Local Transaction already active"},
    {20, "[0x0014]: Multiple Transactions not Enabled"},
    {21, "[0x0015]: Connection failed"},
    {22, "[0x0016]: Driver initialization failed"},
    {23, "[0x0017]: Optimistic Locking failed"},
    {24, "[0x0018]: Invalid REF"},
    {25, "[0x0019]: No table found"},
    {64, "[0x0064]: No more data"},
    {65, "[0x0065]: SQL Error"},
}};

}  // namespace

std::string StatusText(std::uint16_t status) {
  for (const auto& [listed, entry] : kStatusTable) {
    if (listed == status) return FormatText(kStatusPrefix, entry);
  }
  return {};
}

std::string Compose(std::uint16_t status, const MessageSource& askMessage, const std::string& lastErrorText) {
  std::string text = StatusText(status);
  if (const std::optional<std::string> message = askMessage()) {
    if (!text.empty()) text += "\r\n";
    text += FormatText(kServerPrefix, *message);
  }
  if (text.empty()) text = lastErrorText;
  if (text.empty()) text = FormatText(kUnknownStatus, std::to_string(status));
  return text;
}

}  // namespace driver_error
