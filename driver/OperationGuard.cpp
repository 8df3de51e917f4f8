#include "OperationGuard.h"

#include <exception>
#include <new>
#include <string>

#include "DriverFailure.h"

namespace dbvfb {
namespace {

// The client's own failures to reach the server, as opposed to the server
// refusing what it was asked.
bool isNetworkFailure(Firebird::IStatus* status) {
  const intptr_t* errors = status->getErrors();
  if (errors[0] != isc_arg_gds) return false;
  switch (errors[1]) {
    case isc_network_error:
    case isc_net_connect_err:
    case isc_net_read_err:
    case isc_net_write_err:
    case isc_lost_db_connection:
      return true;
    default:
      return false;
  }
}

}  // namespace

dbv::SQLResult recordFailure(const Session& session, LastError& lastError, std::string_view operation) noexcept {
  std::uint16_t status = dbv::status::InvalidParameter;
  try {
    std::string message;
    try {
      throw;
    } catch (const Firebird::FbException& failure) {
      status = isNetworkFailure(failure.getStatus()) ? dbv::status::ConnectionFailed : dbv::status::SqlError;
      message = session.api().format(failure.getStatus());
    } catch (const DriverFailure& failure) {
      status = failure.status;
      message = failure.message;
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
  return status;
}

}  // namespace dbvfb
