// The connection object: its options, the attachment it opens with them, and
// the metadata and command objects that work on that attachment.
#pragma once

#include <memory>

#include "ClientLibrary.h"
#include "DriverContract.h"
#include "LastError.h"
#include "Session.h"

namespace dbvfb {

class Connection final : public dbv::ISQLConnection {
 public:
  explicit Connection(std::shared_ptr<ClientApi> api);

  dbv::SQLResult connect(const char* database, const char* userName, const char* password) override;
  dbv::SQLResult disconnect() override;
  dbv::SQLResult getSQLCommand(dbv::ISQLCommand** command) override;
  dbv::SQLResult getSQLMetaData(dbv::ISQLMetaData** metaData) override;
  dbv::SQLResult setOption(std::int32_t option, std::intptr_t value) override;
  dbv::SQLResult setStringOption(std::int32_t option, const char* value) override;
  dbv::SQLResult getOption(std::int32_t option, void* value, std::int32_t maxLength, std::int32_t* length) override;
  dbv::SQLResult getErrorMessageLen(std::uint16_t* length) override;
  dbv::SQLResult getErrorMessage(char* message) override;
  // Without a disconnect before, open work is rolled back and the attachment
  // detached: releasing never commits.
  dbv::SQLResult release() override;

 private:
  ~Connection() = default;

  std::shared_ptr<Session> session_;
  LastError lastError_;
};

}  // namespace dbvfb
