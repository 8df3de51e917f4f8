#include "Driver.h"

#include <new>
#include <type_traits>

#include "Connection.h"
#include "DriverExport.h"

namespace dbvfb {

Driver::Driver(std::shared_ptr<ClientApi> api) : api_(std::move(api)) {}

dbv::SQLResult Driver::getSQLConnection(dbv::ISQLConnection** connection) {
  if (connection == nullptr) return dbv::status::InvalidParameter;
  try {
    *connection = new Connection(api_);
  } catch (...) {
    return dbv::status::InsufficientMemory;
  }
  return dbv::kSuccess;
}

dbv::SQLResult Driver::setOption(std::int32_t /*option*/, std::intptr_t /*value*/) {
  return dbv::status::NotSupported;
}

dbv::SQLResult Driver::getOption(std::int32_t /*option*/, void* /*value*/, std::int32_t /*maxLength*/,
                                 std::int32_t* /*length*/) {
  return dbv::status::NotSupported;
}

dbv::SQLResult Driver::release() {
  delete this;
  return dbv::kSuccess;
}

}  // namespace dbvfb

// The error resource file is not used: every message comes from the client
// library, in its own words.
extern "C" DBVFB_EXPORT dbv::SQLResult getSQLDriverFIREBIRD(const char* vendorLib, const char* /*errorResourceFile*/,
                                                             dbv::ISQLDriver** driver) {
  if (driver == nullptr) return dbv::status::InvalidParameter;
  *driver = nullptr;
  try {
    std::shared_ptr<dbvfb::ClientApi> api = dbvfb::loadClientLibrary(vendorLib != nullptr ? vendorLib : "");
    if (!api) return dbv::status::DriverInitFailed;
    *driver = new dbvfb::Driver(std::move(api));
  } catch (const std::bad_alloc&) {
    return dbv::status::InsufficientMemory;
  } catch (...) {
    return dbv::status::DriverInitFailed;
  }
  return dbv::kSuccess;
}

static_assert(std::is_same_v<decltype(&getSQLDriverFIREBIRD), dbv::GetDriverProc>);
