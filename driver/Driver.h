// The driver object the entry point hands out: the maker of connection
// objects over one loaded client library.
#pragma once

#include <memory>

#include "ClientLibrary.h"
#include "DriverContract.h"

namespace dbvfb {

class Driver final : public dbv::ISQLDriver {
 public:
  explicit Driver(std::shared_ptr<ClientApi> api);

  dbv::SQLResult getSQLConnection(dbv::ISQLConnection** connection) override;
  // The driver object itself has no options.
  dbv::SQLResult setOption(std::int32_t option, std::intptr_t value) override;
  dbv::SQLResult getOption(std::int32_t option, void* value, std::int32_t maxLength, std::int32_t* length) override;
  dbv::SQLResult release() override;

 private:
  ~Driver() = default;

  std::shared_ptr<ClientApi> api_;
};

}  // namespace dbvfb
