// The metadata object: the user name the program hands over, and the answers
// about identifiers and transactions it reads after connecting.
#pragma once

#include <memory>
#include <string>

#include "DriverContract.h"
#include "LastError.h"
#include "Session.h"

namespace dbvfb {

class MetaData final : public dbv::ISQLMetaData {
 public:
  explicit MetaData(std::shared_ptr<Session> session);

  dbv::SQLResult setOption(std::int32_t option, std::intptr_t value) override;
  dbv::SQLResult setStringOption(std::int32_t option, const char* value) override;
  dbv::SQLResult getOption(std::int32_t option, void* value, std::int32_t maxLength, std::int32_t* length) override;
  dbv::SQLResult getErrorMessageLen(std::uint16_t* length) override;
  dbv::SQLResult getErrorMessage(char* message) override;
  dbv::SQLResult release() override;

 private:
  ~MetaData() = default;

  std::shared_ptr<Session> session_;
  std::string userName_;
  LastError lastError_;
};

}  // namespace dbvfb
