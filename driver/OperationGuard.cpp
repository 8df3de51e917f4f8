#include "OperationGuard.h"

#include <exception>
#include <new>
#include <string>

#include "DriverFailure.h"
#include "FailureClass.h"

namespace dbvfb {
namespace {

struct JudgedFailure {
  std::uint16_t status = dbv::status::InvalidParameter;
  bool lost = false;
  bool shapeDiffers = false;
  std::string message;
};

// The exception being handled, judged by its codes; a loss marks the session
// lost at once, so that nothing more is sent on the attachment.
JudgedFailure judgeCurrentFailure(Session& session) {
  JudgedFailure judged;
  try {
    throw;
  } catch (const Firebird::FbException& failure) {
    const FailureClass kind = classifyFailure(failure.getStatus(), session.settings().waitOnLocks);
    judged.status = kind.status;
    judged.lost = session.attached() && kind.connectionLost;
    judged.shapeDiffers = kind.shapeDiffers;
    judged.message = session.api().format(failure.getStatus());
    if (judged.lost) session.markLost(judged.status, judged.message);
  } catch (const DriverFailure& failure) {
    judged.status = failure.status;
    judged.message = failure.message;
    judged.lost = failure.connectionLost;
  } catch (const std::bad_alloc&) {
    judged.status = dbv::status::InsufficientMemory;
    judged.message = "out of memory";
  } catch (const std::exception& failure) {
    judged.message = failure.what();
  } catch (...) {
    judged.message = "unexpected failure inside the driver";
  }
  return judged;
}

void traceFailure(const Session& session, std::string_view operation, const std::string& message) noexcept {
  if (session.tracer().active()) {
    session.tracer().emit(dbv::trace::Error, std::string(operation) + " failed: " + message);
  }
}

}  // namespace

dbv::SQLResult recordFailure(Session& session, LastError& lastError, std::string_view operation) noexcept {
  JudgedFailure judged;
  try {
    judged = judgeCurrentFailure(session);
    traceFailure(session, operation, judged.message);
    lastError.set(std::move(judged.message));
  } catch (...) {
    // No memory left even for the message: the status alone has to do.
  }
  if (judged.lost) return judged.status | dbv::kConnectionLost;
  return judged.shapeDiffers ? judged.status | dbv::kShapeDiffers : judged.status;
}

void noteQuietFailure(Session& session, std::string_view operation) noexcept {
  try {
    traceFailure(session, operation, judgeCurrentFailure(session).message);
  } catch (...) {
    // No memory left even for the message.
  }
}

}  // namespace dbvfb
