// The real driver library, loaded through the program's own loader, and
// helpers that run statements through it the way the program does: prepare,
// execute, read the cursor, release.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "DriverContract.h"
#include "FirebirdTestServer.h"
#include "LibraryLoader.h"

namespace corvantis::test {

constexpr const char* kVendorLib = "libfbclient.so.2";
constexpr const char* kEntryPoint = "getSQLDriverFIREBIRD";

inline std::string driverLibraryPath() { return std::string(CORVANTIS_BIN_DIR) + "/libdbvfb.so"; }

inline dbv::GetDriverProc driverEntry() {
  static const dbv::GetDriverProc entry = [] {
    const dbv::LibraryHandle library = dbv::loadLibrary(driverLibraryPath());
    return reinterpret_cast<dbv::GetDriverProc>(dbv::findFunction(library, kEntryPoint));
  }();
  return entry;
}

// An object's last error, through its error-length and error-text calls.
template <typename Object>
std::string errorTextOf(Object* object) {
  std::uint16_t length = 0;
  if (dbv::failed(object->getErrorMessageLen(&length)) || length == 0) return "";
  std::string text(length + 1u, '\x7F');
  if (dbv::failed(object->getErrorMessage(text.data()))) return "";
  EXPECT_EQ(text[length], '\0') << "the error text is not NUL-terminated at its length";
  text.resize(length);
  return text;
}

// A driver object and one of its connection objects, released at the end
// (which disconnects when still connected).
class DriverConnection {
 public:
  DriverConnection() {
    const dbv::GetDriverProc entry = driverEntry();
    if (entry == nullptr) {
      ADD_FAILURE() << "cannot load " << driverLibraryPath() << " or find " << kEntryPoint << ": "
                    << dbv::lastLoaderError();
      return;
    }
    if (dbv::failed(entry(kVendorLib, "", &driver_)) || driver_ == nullptr) {
      ADD_FAILURE() << "the driver refuses the client library " << kVendorLib;
      return;
    }
    if (dbv::failed(driver_->getSQLConnection(&connection_)) || connection_ == nullptr) {
      ADD_FAILURE() << "the driver gives no connection object";
    }
  }
  DriverConnection(const DriverConnection&) = delete;
  DriverConnection& operator=(const DriverConnection&) = delete;
  ~DriverConnection() {
    if (connection_ != nullptr) connection_->release();
    if (driver_ != nullptr) driver_->release();
  }

  dbv::ISQLConnection* get() const { return connection_; }
  dbv::ISQLConnection* operator->() const { return connection_; }
  bool usable() const { return connection_ != nullptr; }

  dbv::SQLResult connect(const std::string& database, const std::string& user, const std::string& password) {
    return connection_->connect(database.c_str(), user.c_str(), password.c_str());
  }
  dbv::SQLResult connect(const std::string& database) {
    return connect(database, firebirdServer().user, firebirdServer().password);
  }
  std::string errorText() const { return errorTextOf(connection_); }

 private:
  dbv::ISQLDriver* driver_ = nullptr;
  dbv::ISQLConnection* connection_ = nullptr;
};

struct StatementOutcome {
  dbv::SQLResult status = dbv::kSuccess;  // of the step that failed
  std::string failedStep;                 // "command", "prepare", "execute", "fetch" or empty
  std::string message;                    // the failing object's error text
  std::int32_t rowsAffected = 0;

  bool ok() const { return !dbv::failed(status); }
};

// A value as text: strings as their bytes, octets in hex, numbers in decimal,
// dates as day numbers; nullopt for null.
using Value = std::optional<std::string>;

struct QueryOutcome : StatementOutcome {
  std::vector<std::string> columnNames;
  std::vector<dbv::FieldType> columnTypes;
  std::vector<std::uint32_t> columnLengths;
  std::vector<std::vector<Value>> rows;
};

inline std::string hexOf(const std::uint8_t* bytes, std::size_t count) {
  std::string hex;
  char pair[3];
  for (std::size_t i = 0; i < count; ++i) {
    std::snprintf(pair, sizeof pair, "%02X", bytes[i]);
    hex += pair;
  }
  return hex;
}

inline std::string decimalText(dbv::SQLDecimal value) {
  const bool negative = value.unscaled < 0;
  std::string digits = std::to_string(negative ? -value.unscaled : value.unscaled);
  if (value.scale > 0) {
    if (digits.size() <= static_cast<std::size_t>(value.scale)) {
      digits.insert(0, static_cast<std::size_t>(value.scale) - digits.size() + 1, '0');
    }
    digits.insert(digits.size() - static_cast<std::size_t>(value.scale), ".");
  }
  return negative ? "-" + digits : digits;
}

// Reads one column of the current row with the getter its type calls for.
inline Value readValue(dbv::ISQLCursor* cursor, std::uint16_t column, dbv::FieldType type, std::uint32_t length) {
  bool isNull = false;
  dbv::SQLResult result = dbv::kSuccess;
  std::string text;
  switch (type) {
    case dbv::FieldType::String: {
      std::vector<char> buffer(length + 1u, '\x7F');
      result = cursor->getString(column, buffer.data(), &isNull);
      text.assign(buffer.data(), std::strlen(buffer.data()));
      break;
    }
    case dbv::FieldType::Bytes: {
      std::vector<std::uint8_t> buffer(length);
      result = cursor->getBytes(column, buffer.data(), &isNull);
      text = hexOf(buffer.data(), buffer.size());
      break;
    }
    case dbv::FieldType::Int16:
    case dbv::FieldType::Boolean: {
      std::int16_t value = 0;
      result = cursor->getShort(column, &value, &isNull);
      text = std::to_string(value);
      break;
    }
    case dbv::FieldType::Int32: {
      std::int32_t value = 0;
      result = cursor->getLong(column, &value, &isNull);
      text = std::to_string(value);
      break;
    }
    case dbv::FieldType::Decimal: {
      dbv::SQLDecimal value{};
      result = cursor->getDecimal(column, &value, &isNull);
      text = decimalText(value);
      break;
    }
    case dbv::FieldType::Double: {
      double value = 0;
      result = cursor->getDouble(column, &value, &isNull);
      char buffer[64];
      std::snprintf(buffer, sizeof buffer, "%.15g", value);
      text = buffer;
      break;
    }
    case dbv::FieldType::Date: {
      std::int32_t value = 0;
      result = cursor->getDate(column, &value, &isNull);
      text = std::to_string(value);
      break;
    }
    case dbv::FieldType::Time: {
      std::uint32_t value = 0;
      result = cursor->getTime(column, &value, &isNull);
      text = std::to_string(value);
      break;
    }
    case dbv::FieldType::Timestamp: {
      dbv::SQLTimestamp value{};
      result = cursor->getTimestamp(column, &value, &isNull);
      text = std::to_string(value.date) + " " + std::to_string(value.milliseconds);
      break;
    }
    case dbv::FieldType::Blob: {
      std::uint32_t size = 0;
      result = cursor->getBlobSize(column, &size, &isNull);
      if (!dbv::failed(result) && !isNull) {
        text.assign(size, '\0');
        result = cursor->getBlob(column, text.data(), size, &isNull);
      }
      break;
    }
    default:
      ADD_FAILURE() << "column " << column << " has a type the harness does not read";
      return std::nullopt;
  }
  if (dbv::failed(result)) {
    ADD_FAILURE() << "reading column " << column << " failed with " << result << ": " << errorTextOf(cursor);
    return std::nullopt;
  }
  if (isNull) return std::nullopt;
  return text;
}

namespace detail {

// Prepares the statement in a new command; the outcome names a failing step.
inline std::unique_ptr<dbv::ISQLCommand, void (*)(dbv::ISQLCommand*)> preparedCommand(
    dbv::ISQLConnection* connection, const std::string& sql, StatementOutcome& outcome) {
  using Holder = std::unique_ptr<dbv::ISQLCommand, void (*)(dbv::ISQLCommand*)>;
  dbv::ISQLCommand* command = nullptr;
  const dbv::SQLResult made = connection->getSQLCommand(&command);
  if (dbv::failed(made) || command == nullptr) {
    outcome.status = dbv::failed(made) ? made : dbv::status::InvalidHandle;
    outcome.failedStep = "command";
    outcome.message = errorTextOf(connection);
    return Holder(nullptr, [](dbv::ISQLCommand*) {});
  }
  Holder holder(command, [](dbv::ISQLCommand* c) { c->release(); });
  const dbv::SQLResult prepared = command->prepare(sql.c_str(), 0);
  if (dbv::failed(prepared)) {
    outcome.status = prepared;
    outcome.failedStep = "prepare";
    outcome.message = errorTextOf(command);
  }
  return holder;
}

// Executes the prepared command; false, with the outcome naming the step, when it fails.
inline bool executed(dbv::ISQLCommand* command, dbv::ISQLCursor*& cursor, StatementOutcome& outcome) {
  const dbv::SQLResult result = command->execute(&cursor);
  if (!dbv::failed(result)) return true;
  outcome.status = result;
  outcome.failedStep = "execute";
  outcome.message = errorTextOf(command);
  return false;
}

}  // namespace detail

// Prepares and executes a statement on a new command, releases whatever cursor
// it returns, and reads the rows affected.
inline StatementOutcome execute(dbv::ISQLConnection* connection, const std::string& sql) {
  StatementOutcome outcome;
  auto command = detail::preparedCommand(connection, sql, outcome);
  if (!outcome.ok()) return outcome;
  dbv::ISQLCursor* cursor = nullptr;
  if (!detail::executed(command.get(), cursor, outcome)) return outcome;
  if (cursor != nullptr) cursor->release();
  EXPECT_EQ(command->getRowsAffected(&outcome.rowsAffected), dbv::kSuccess);
  return outcome;
}

// Prepares, executes and reads every row of a query.
inline QueryOutcome query(dbv::ISQLConnection* connection, const std::string& sql) {
  QueryOutcome outcome;
  auto command = detail::preparedCommand(connection, sql, outcome);
  if (!outcome.ok()) return outcome;
  dbv::ISQLCursor* cursor = nullptr;
  if (!detail::executed(command.get(), cursor, outcome)) return outcome;
  if (cursor == nullptr) {
    outcome.status = dbv::status::InvalidHandle;
    outcome.failedStep = "execute";
    outcome.message = "no cursor returned";
    return outcome;
  }
  std::uint16_t count = 0;
  EXPECT_EQ(cursor->getColumnCount(&count), dbv::kSuccess);
  for (std::uint16_t column = 1; column <= count; ++column) {
    char name[dbv::kMaxColumnName] = {};
    dbv::FieldType type = dbv::FieldType::Unknown;
    std::uint16_t subType = 0;
    std::uint32_t length = 0;
    EXPECT_EQ(cursor->getColumnName(column, name), dbv::kSuccess);
    EXPECT_EQ(cursor->getColumnType(column, &type, &subType), dbv::kSuccess);
    EXPECT_EQ(cursor->getColumnLength(column, &length), dbv::kSuccess);
    outcome.columnNames.emplace_back(name);
    outcome.columnTypes.push_back(type);
    outcome.columnLengths.push_back(length);
  }
  for (;;) {
    const dbv::SQLResult fetched = cursor->next();
    const std::uint16_t status = dbv::statusOf(fetched);
    if (status == dbv::status::EndOfResult || status == dbv::status::NoMoreData) break;
    if (dbv::failed(fetched)) {
      outcome.status = fetched;
      outcome.failedStep = "fetch";
      outcome.message = errorTextOf(cursor);
      break;
    }
    std::vector<Value> row;
    for (std::uint16_t column = 1; column <= count; ++column) {
      row.push_back(readValue(cursor, column, outcome.columnTypes[column - 1], outcome.columnLengths[column - 1]));
    }
    outcome.rows.push_back(std::move(row));
  }
  const dbv::SQLResult released = cursor->release();
  if (outcome.ok() && dbv::failed(released)) {
    outcome.status = released;
    outcome.failedStep = "release";
  }
  return outcome;
}

// The first column of the only row a query returns; a failure or another
// number of rows fails the test.
inline Value singleValue(dbv::ISQLConnection* connection, const std::string& sql) {
  const QueryOutcome outcome = query(connection, sql);
  if (!outcome.ok()) {
    ADD_FAILURE() << sql << "\nfailed at " << outcome.failedStep << ": " << outcome.message;
    return std::nullopt;
  }
  if (outcome.rows.size() != 1 || outcome.rows[0].empty()) {
    ADD_FAILURE() << sql << "\nreturned " << outcome.rows.size() << " rows, not one";
    return std::nullopt;
  }
  return outcome.rows[0][0];
}

// A suite's own database on the server, created at the suite's first test and
// dropped after its last. Every test requires the server first.
class ServerDatabaseTest : public testing::Test {
 protected:
  static void TearDownTestSuite() { database().reset(); }

  void SetUp() override {
    CORVANTIS_REQUIRE_FB_SERVER();
    if (!database()) database().emplace(ScratchDatabase::onServer("driver"));
    ASSERT_TRUE(database()->created()) << "cannot create a database on the server:\n" << database()->createOutput();
  }

  static const std::string& databaseAddress() { return database()->connectionString(); }

  // A connection object with the given options set, connected to the suite's database.
  static void connectTo(DriverConnection& connection) {
    ASSERT_TRUE(connection.usable());
    ASSERT_EQ(connection.connect(databaseAddress()), dbv::kSuccess) << connection.errorText();
  }

 private:
  static std::optional<ScratchDatabase>& database() {
    static std::optional<ScratchDatabase> instance;
    return instance;
  }
};

}  // namespace corvantis::test
