// The options of a connection object, as the program sets them before the
// connect call. Those that shape the attachment (role, character set, dialect,
// timeout, authentication, server address) act at the next connect; those that
// shape transactions (isolation, lock wait, commit retaining) at the next
// transaction; Trim Char at the next value read.
#pragma once

#include <cstdint>
#include <string>

#include "DriverContract.h"

namespace dbvfb {

struct ConnectionSettings {
  // Every statement is committed by the driver whatever this says; the flag is
  // kept only to be read back.
  bool autoCommit = true;
  // Every call waits for the server's answer; the flag is kept only to be read back.
  bool blockingMode = true;
  // Largest blob value handed out, in KiB; negative means no limit.
  std::int32_t blobSizeKiB = -1;
  std::string roleName;
  bool waitOnLocks = true;
  bool commitRetain = false;
  std::int32_t isolation = dbv::isolation::ReadCommitted;
  std::string hostName;
  // Empty: no character set is asked for, so the server passes bytes untranslated.
  std::string serverCharSet;
  std::int32_t sqlDialect = 3;
  bool osAuthentication = false;
  // Each statement has a transaction of its own, so several are open whenever
  // cursors are; the flag is kept only to be read back.
  bool multipleTransaction = true;
  std::string serverPort;
  bool trimChar = false;
  // No attachment parameter takes free text; kept only to be read back.
  std::string customString;
  // Seconds to wait for the server at connect; 0 is the client's default.
  std::int32_t connectionTimeout = 0;

  // Both throw DriverFailure for an option they do not know or a value out of
  // range; the text form takes the options whose value is text.
  void setValue(std::int32_t option, std::intptr_t value);
  void setText(std::int32_t option, const char* value);
  // False when the option is not one of these settings.
  bool answer(std::int32_t option, void* value, std::int32_t maxLength, std::int32_t* length) const;
};

}  // namespace dbvfb
