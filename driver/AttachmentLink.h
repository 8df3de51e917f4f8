// Whether the server still answers on a session's attachment. Once a call has
// failed because the attachment is gone, the driver sends nothing more on it:
// Firebird 3 can leave a request on an attachment it is tearing down without
// any answer, and the client then waits for ever (seen with a rollback sent
// just after the attachment was deleted from MON$ATTACHMENTS). The server
// rolls back what the attachment held; every later call fails at once with
// the loss that ended it.
#pragma once

#include <cstdint>
#include <string>

#include "DriverFailure.h"

namespace dbvfb {

class AttachmentLink {
 public:
  bool lost() const { return lost_; }

  // The first loss is kept; every later call fails with it again.
  void markLost(std::uint16_t status, const std::string& message) {
    if (lost_) return;
    lost_ = true;
    status_ = status;
    message_ = message;
  }

  void requireAlive() const {
    if (lost_) throw DriverFailure{status_, message_, true};
  }

 private:
  bool lost_ = false;
  std::uint16_t status_ = 0;
  std::string message_;
};

}  // namespace dbvfb
