// The boundary of every driver operation: nothing thrown inside leaves it. A
// failure becomes the status the caller receives, the failing object's last
// error and an error event.
#pragma once

#include <string_view>

#include "DriverContract.h"
#include "LastError.h"
#include "Session.h"

namespace dbvfb {

// Turns the exception being handled into a status; call only inside a catch
// block. The server's message is kept whole, every line of it.
// A failure that means the attachment is gone marks the session lost and the
// result with dbv::kConnectionLost; a schema change refused for the
// database's shape marks the result with dbv::kShapeDiffers.
dbv::SQLResult recordFailure(Session& session, LastError& lastError, std::string_view operation) noexcept;

// For the quiet ends, which nobody receives a status from (a rollback after a
// failure, the end of a transaction or of the attachment in a destructor):
// the failure being handled is judged as any other, the session marked lost
// when it says so, and traced; call only inside a catch block.
void noteQuietFailure(Session& session, std::string_view operation) noexcept;

template <typename Body>
dbv::SQLResult runOperation(Session& session, LastError& lastError, std::string_view operation,
                            Body&& body) noexcept {
  try {
    return body();
  } catch (...) {
    return recordFailure(session, lastError, operation);
  }
}

}  // namespace dbvfb
