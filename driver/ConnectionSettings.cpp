#include "ConnectionSettings.h"

#include <limits>

#include "DriverFailure.h"
#include "OptionAnswer.h"

namespace dbvfb {
namespace {

using namespace dbv::connopt;

std::int32_t checkedInteger(std::int32_t option, std::intptr_t value, std::int32_t lowest, std::int32_t highest) {
  if (value < lowest || value > highest) {
    fail(dbv::status::InvalidParameter, "option " + std::to_string(option) + ": value " + std::to_string(value) +
                                            " is outside " + std::to_string(lowest) + " to " + std::to_string(highest));
  }
  return static_cast<std::int32_t>(value);
}

[[noreturn]] void refuseOption(std::int32_t option, const char* form) {
  fail(dbv::status::InvalidParameter, "option " + std::to_string(option) + " of the connection takes no " + form);
}

}  // namespace

void ConnectionSettings::setValue(std::int32_t option, std::intptr_t value) {
  constexpr std::int32_t kLargest = std::numeric_limits<std::int32_t>::max();
  switch (option) {
    case AutoCommit: autoCommit = value != 0; return;
    case BlockingMode: blockingMode = value != 0; return;
    case BlobSize: blobSizeKiB = checkedInteger(option, value, std::numeric_limits<std::int32_t>::min(), kLargest); return;
    case WaitOnLocks: waitOnLocks = value != 0; return;
    case CommitRetain: commitRetain = value != 0; return;
    case TransIsolation: isolation = checkedInteger(option, value, dbv::isolation::ReadCommitted, dbv::isolation::DirtyRead); return;
    case SqlDialect: sqlDialect = checkedInteger(option, value, 1, 3); return;
    case OSAuthentication: osAuthentication = value != 0; return;
    case MultipleTransaction: multipleTransaction = value != 0; return;
    case TrimChar: trimChar = value != 0; return;
    case ConnectionTimeout: connectionTimeout = checkedInteger(option, value, 0, kLargest); return;
    default: refuseOption(option, "integer value");
  }
}

void ConnectionSettings::setText(std::int32_t option, const char* value) {
  const std::string text = value != nullptr ? value : "";
  switch (option) {
    case RoleName: roleName = text; return;
    case HostName: hostName = text; return;
    case ServerCharSet: serverCharSet = text; return;
    case ServerPort:
      // The port follows a "/" in front of the ":" of the server address.
      if (text.find_first_of("/:") != std::string::npos) {
        fail(dbv::status::InvalidParameter, "server port '" + text + "' holds a '/' or ':'");
      }
      serverPort = text;
      return;
    case CustomString: customString = text; return;
    default: refuseOption(option, "text value");
  }
}

bool ConnectionSettings::answer(std::int32_t option, void* value, std::int32_t maxLength, std::int32_t* length) const {
  switch (option) {
    case AutoCommit: answerInteger(autoCommit, value, maxLength, length); return true;
    case BlockingMode: answerInteger(blockingMode, value, maxLength, length); return true;
    case BlobSize: answerInteger(blobSizeKiB, value, maxLength, length); return true;
    case RoleName: answerText(roleName, value, maxLength, length); return true;
    case WaitOnLocks: answerInteger(waitOnLocks, value, maxLength, length); return true;
    case CommitRetain: answerInteger(commitRetain, value, maxLength, length); return true;
    case TransIsolation: answerInteger(isolation, value, maxLength, length); return true;
    case HostName: answerText(hostName, value, maxLength, length); return true;
    case ServerCharSet: answerText(serverCharSet, value, maxLength, length); return true;
    case SqlDialect: answerInteger(sqlDialect, value, maxLength, length); return true;
    case OSAuthentication: answerInteger(osAuthentication, value, maxLength, length); return true;
    case MultipleTransaction: answerInteger(multipleTransaction, value, maxLength, length); return true;
    case ServerPort: answerText(serverPort, value, maxLength, length); return true;
    case TrimChar: answerInteger(trimChar, value, maxLength, length); return true;
    case CustomString: answerText(customString, value, maxLength, length); return true;
    case ConnectionTimeout: answerInteger(connectionTimeout, value, maxLength, length); return true;
    default: return false;
  }
}

}  // namespace dbvfb
