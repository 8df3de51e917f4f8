#include "OperationGuard.h"

#include <exception>
#include <new>
#include <string>

#include "DriverFailure.h"
#include "FailureClass.h"

namespace dbvfb {

dbv::SQLResult recordFailure(Session& session, LastError& lastError, std::string_view operation) noexcept {
  std::uint16_t status = dbv::status::InvalidParameter;
  bool lost = false;
  bool shapeDiffers = false;
  try {
    std::string message;
    try {
      throw;
    } catch (const Firebird::FbException& failure) {
      const FailureClass judged = classifyFailure(failure.getStatus(), session.settings().waitOnLocks);
      status = judged.status;
      lost = session.attached() && judged.connectionLost;
      shapeDiffers = judged.shapeDiffers;
      message = session.api().format(failure.getStatus());
      if (lost) session.markLost(status, message);
    } catch (const DriverFailure& failure) {
      status = failure.status;
      message = failure.message;
      lost = failure.connectionLost;
    } catch (const std::bad_alloc&) {
      status = dbv::status::InsufficientMemory;
      message = "out of memory";
    } catch (const std::exception& failure) {
      message = failure.what();
    } catch (...) {
      message = "unexpected failure inside the driver";
    }
    if (session.tracer().active()) {
      session.tracer().emit(dbv::trace::Error, std::string(operation) + " failed: " + message);
    }
    lastError.set(std::move(message));
  } catch (...) {
    // No memory left even for the message: the status alone has to do.
  }
  if (lost) return status | dbv::kConnectionLost;
  return shapeDiffers ? status | dbv::kShapeDiffers : status;
}

}  // namespace dbvfb
