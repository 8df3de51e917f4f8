// The fake's driver objects and its exported entry points.
#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <type_traits>

#include "FakeState.h"
#include "FakeScriptFile.h"

namespace fake::detail {

namespace {

std::string Args() { return {}; }

template <class First, class... Rest>
std::string Args(const First& first, const Rest&... rest) {
  std::string text;
  if constexpr (std::is_convertible_v<First, std::string>) {
    text = Escape(std::string(first));
  } else {
    text = std::to_string(first);
  }
  if constexpr (sizeof...(rest) > 0) {
    text += ',';
    text += Args(rest...);
  }
  return text;
}

template <class... Arguments>
std::string CallText(const char* object, const char* operation, const Arguments&... arguments) {
  return std::string(object) + "." + operation + "(" + Args(arguments...) + ")";
}

// Copies an option answer into the caller's buffer.
dbv::SQLResult Answer(const std::string& call, dbv::SQLResult status, void* value, std::int32_t maxLength,
                      std::int32_t* length) {
  if (dbv::failed(status)) return status;
  const std::string* answer = OptionAnswer(call);
  if (answer == nullptr) return dbv::status::NotSupported;
  const std::size_t count = std::min(answer->size(), static_cast<std::size_t>(std::max(maxLength, 0)));
  if (value != nullptr) std::memcpy(value, answer->data(), count);
  if (length != nullptr) *length = static_cast<std::int32_t>(count);
  return dbv::kSuccess;
}

// What every fake object shares: its name in the call log, the trace hook of
// its connection, its last error message and its place in the object counts.
class FakeObject {
 public:
  FakeObject(Kind kind, const char* name, std::shared_ptr<Hook> hook)
      : kind_(kind), name_(name), hook_(std::move(hook)) {
    Count(kind_, +1);
  }
  ~FakeObject() { Count(kind_, -1); }
  FakeObject(const FakeObject&) = delete;
  FakeObject& operator=(const FakeObject&) = delete;

 protected:
  // Logs the call and answers its scripted status; a failing rule's message
  // becomes the object's last message.
  template <class... Arguments>
  dbv::SQLResult Log(const char* operation, const Arguments&... arguments) {
    return Enter(CallText(name_, operation, arguments...), hook_.get(), &message_);
  }

  dbv::SQLResult GetOption(std::int32_t option, void* value, std::int32_t maxLength, std::int32_t* length) {
    const std::string call = CallText(name_, "getOption", option);
    return Answer(call, Enter(call, hook_.get(), &message_), value, maxLength, length);
  }

  dbv::SQLResult MessageLength(std::uint16_t* length) {
    const dbv::SQLResult status = Enter(CallText(name_, "getErrorMessageLen"), hook_.get(), nullptr);
    if (!dbv::failed(status)) *length = static_cast<std::uint16_t>(std::min<std::size_t>(message_.size(), 0xFFFF));
    return status;
  }

  dbv::SQLResult Message(char* message) {
    const dbv::SQLResult status = Enter(CallText(name_, "getErrorMessage"), hook_.get(), nullptr);
    if (dbv::failed(status)) return status;
    const std::size_t count = std::min<std::size_t>(message_.size(), 0xFFFF);
    std::memcpy(message, message_.data(), count);
    message[count] = '\0';
    return status;
  }

  // The release call's status, logged before the object goes.
  dbv::SQLResult LogRelease() { return Enter(CallText(name_, "release"), hook_.get(), nullptr); }

  const std::shared_ptr<Hook>& HookOf() const { return hook_; }

 private:
  Kind kind_;
  const char* name_;
  std::shared_ptr<Hook> hook_;
  std::string message_;
};

template <class Object>
dbv::SQLResult Deleted(Object* object, dbv::SQLResult status) {
  delete object;
  return status;
}

template <class Number>
bool ParseNumber(const std::string& text, Number* value) {
  const char* end = text.data() + text.size();
  auto [stop, error] = std::from_chars(text.data(), end, *value);
  return !text.empty() && error == std::errc() && stop == end;
}

bool ParseDecimal(const std::string& text, dbv::SQLDecimal* value) {
  const std::size_t point = text.find('.');
  std::string digits = text;
  std::int16_t scale = 0;
  if (point != std::string::npos) {
    digits.erase(point, 1);
    scale = static_cast<std::int16_t>(text.size() - point - 1);
  }
  value->scale = scale;
  return ParseNumber(digits, &value->unscaled);
}

bool ParseTimestamp(const std::string& text, dbv::SQLTimestamp* value) {
  const std::size_t blank = text.find(' ');
  return blank != std::string::npos && ParseNumber(text.substr(0, blank), &value->date) &&
         ParseNumber(text.substr(blank + 1), &value->milliseconds);
}

class FakeCursor final : public dbv::ISQLCursor, private FakeObject {
 public:
  FakeCursor(std::shared_ptr<Hook> hook, Statement statement)
      : FakeObject(Kind::Cursor, "cursor", std::move(hook)), statement_(std::move(statement)) {}

  dbv::SQLResult getColumnCount(std::uint16_t* count) override {
    const dbv::SQLResult status = Log("getColumnCount");
    if (!dbv::failed(status)) *count = static_cast<std::uint16_t>(statement_.columns.size());
    return status;
  }
  dbv::SQLResult getColumnName(std::uint16_t column, char* name) override {
    return Describe("getColumnName", column, [&](const Column& c) {
      const std::size_t count = std::min(c.name.size(), dbv::kMaxColumnName - 1);
      std::memcpy(name, c.name.data(), count);
      name[count] = '\0';
    });
  }
  dbv::SQLResult getColumnType(std::uint16_t column, dbv::FieldType* type, std::uint16_t* subType) override {
    return Describe("getColumnType", column, [&](const Column& c) {
      *type = c.type;
      *subType = c.subType;
    });
  }
  dbv::SQLResult getColumnLength(std::uint16_t column, std::uint32_t* length) override {
    return Describe("getColumnLength", column, [&](const Column&) { *length = LengthOf(column); });
  }
  dbv::SQLResult getColumnPrecision(std::uint16_t column, std::int16_t* precision) override {
    return Describe("getColumnPrecision", column, [&](const Column& c) { *precision = c.precision; });
  }
  dbv::SQLResult getColumnScale(std::uint16_t column, std::int16_t* scale) override {
    return Describe("getColumnScale", column, [&](const Column& c) { *scale = c.scale; });
  }
  dbv::SQLResult isNullable(std::uint16_t column, bool* nullable) override {
    return Describe("isNullable", column, [&](const Column& c) { *nullable = c.nullable; });
  }

  dbv::SQLResult next() override {
    const dbv::SQLResult status = Log("next");
    if (dbv::failed(status)) return status;
    if (row_ < statement_.rows.size()) {
      ++row_;
      return status;
    }
    row_ = statement_.rows.size() + 1;  // past the end: no current row any more
    return statement_.endStatus;
  }

  dbv::SQLResult getString(std::uint16_t column, char* value, bool* isNull) override {
    return Read("getString", column, isNull, [&](const std::string& text) {
      const std::size_t count = std::min<std::size_t>(text.size(), LengthOf(column));
      std::memcpy(value, text.data(), count);
      value[count] = '\0';
      return true;
    }, [&] { value[0] = '\0'; });
  }
  dbv::SQLResult getShort(std::uint16_t column, std::int16_t* value, bool* isNull) override {
    return ReadNumber("getShort", column, value, isNull);
  }
  dbv::SQLResult getLong(std::uint16_t column, std::int32_t* value, bool* isNull) override {
    return ReadNumber("getLong", column, value, isNull);
  }
  dbv::SQLResult getDouble(std::uint16_t column, double* value, bool* isNull) override {
    return ReadNumber("getDouble", column, value, isNull);
  }
  dbv::SQLResult getDecimal(std::uint16_t column, dbv::SQLDecimal* value, bool* isNull) override {
    return Read("getDecimal", column, isNull, [&](const std::string& text) { return ParseDecimal(text, value); },
                [&] { *value = {0, 0}; });
  }
  dbv::SQLResult getDate(std::uint16_t column, std::int32_t* value, bool* isNull) override {
    return ReadNumber("getDate", column, value, isNull);
  }
  dbv::SQLResult getTime(std::uint16_t column, std::uint32_t* value, bool* isNull) override {
    return ReadNumber("getTime", column, value, isNull);
  }
  dbv::SQLResult getTimestamp(std::uint16_t column, dbv::SQLTimestamp* value, bool* isNull) override {
    return Read("getTimestamp", column, isNull, [&](const std::string& text) { return ParseTimestamp(text, value); },
                [&] { *value = {0, 0}; });
  }
  dbv::SQLResult getBytes(std::uint16_t column, std::uint8_t* value, bool* isNull) override {
    const std::uint32_t length = LengthOf(column);
    return Read("getBytes", column, isNull, [&](const std::string& bytes) {
      std::memset(value, 0, length);
      std::memcpy(value, bytes.data(), std::min<std::size_t>(bytes.size(), length));
      return true;
    }, [&] { std::memset(value, 0, length); });
  }
  dbv::SQLResult getBlobSize(std::uint16_t column, std::uint32_t* size, bool* isNull) override {
    return Read("getBlobSize", column, isNull, [&](const std::string& bytes) {
      *size = static_cast<std::uint32_t>(bytes.size());
      return true;
    }, [&] { *size = 0; });
  }
  dbv::SQLResult getBlob(std::uint16_t column, void* value, std::uint32_t size, bool* isNull) override {
    return Read("getBlob", column, isNull, [&](const std::string& bytes) {
      std::memcpy(value, bytes.data(), std::min<std::size_t>(bytes.size(), size));
      return true;
    }, [] {});
  }

  dbv::SQLResult getErrorMessageLen(std::uint16_t* length) override { return MessageLength(length); }
  dbv::SQLResult getErrorMessage(char* message) override { return Message(message); }
  dbv::SQLResult release() override { return Deleted(this, LogRelease()); }

 private:
  bool HasRow() const { return row_ >= 1 && row_ <= statement_.rows.size(); }

  bool ColumnExists(std::uint16_t column) const { return column >= 1 && column <= statement_.columns.size(); }

  std::uint32_t LengthOf(std::uint16_t column) const {
    const Column& c = statement_.columns[column - 1];
    if (c.length != 0) return c.length;
    std::uint32_t longest = 1;
    for (const auto& row : statement_.rows) {
      if (column <= row.size() && row[column - 1]) {
        longest = std::max(longest, static_cast<std::uint32_t>(row[column - 1]->size()));
      }
    }
    return longest;
  }

  template <class Fill>
  dbv::SQLResult Describe(const char* operation, std::uint16_t column, Fill fill) {
    const dbv::SQLResult status = Log(operation, column);
    if (dbv::failed(status)) return status;
    if (!ColumnExists(column)) return dbv::status::OutOfRange;
    fill(statement_.columns[column - 1]);
    return status;
  }

  template <class Convert, class Zero>
  dbv::SQLResult Read(const char* operation, std::uint16_t column, bool* isNull, Convert convert, Zero zero) {
    const dbv::SQLResult status = Log(operation, column);
    if (dbv::failed(status)) return status;
    if (!ColumnExists(column)) return dbv::status::OutOfRange;
    if (!HasRow()) return dbv::status::EndOfResult;
    const auto& row = statement_.rows[row_ - 1];
    const Cell cell = column <= row.size() ? row[column - 1] : std::nullopt;
    *isNull = !cell.has_value();
    if (!cell) {
      zero();
      return status;
    }
    return convert(*cell) ? status : 7;  // Invalid Data Translation
  }

  template <class Number>
  dbv::SQLResult ReadNumber(const char* operation, std::uint16_t column, Number* value, bool* isNull) {
    return Read(operation, column, isNull, [&](const std::string& text) { return ParseNumber(text, value); },
                [&] { *value = 0; });
  }

  Statement statement_;
  std::size_t row_ = 0;  // 1-based number of the current row; 0 before the first
};

class FakeCommand final : public dbv::ISQLCommand, private FakeObject {
 public:
  explicit FakeCommand(std::shared_ptr<Hook> hook) : FakeObject(Kind::Command, "cmd", std::move(hook)) {}

  dbv::SQLResult setOption(std::int32_t option, std::intptr_t value) override {
    return Log("setOption", option, static_cast<long long>(value));
  }
  dbv::SQLResult getOption(std::int32_t option, void* value, std::int32_t maxLength, std::int32_t* length) override {
    return GetOption(option, value, maxLength, length);
  }
  dbv::SQLResult prepare(const char* sql, std::uint16_t paramCount) override {
    const std::string text = sql;
    const dbv::SQLResult status = Log("prepare", text, paramCount);
    const Statement statement = StatementFor(text);
    if (!dbv::failed(status)) statement_ = statement;
    return status;
  }
  dbv::SQLResult execute(dbv::ISQLCursor** cursor) override {
    const dbv::SQLResult status = Log("execute");
    if (!dbv::failed(status)) Run(cursor);
    return status;
  }
  dbv::SQLResult executeImmediate(const char* sql, dbv::ISQLCursor** cursor) override {
    const std::string text = sql;
    const dbv::SQLResult status = Log("executeImmediate", text);
    const Statement statement = StatementFor(text);
    if (dbv::failed(status)) return status;
    statement_ = statement;
    Run(cursor);
    return status;
  }
  dbv::SQLResult getRowsAffected(std::int32_t* rows) override {
    const dbv::SQLResult status = Log("getRowsAffected");
    if (!dbv::failed(status)) *rows = rowsAffected_;
    return status;
  }
  dbv::SQLResult close() override { return Log("close"); }
  dbv::SQLResult getErrorMessageLen(std::uint16_t* length) override { return MessageLength(length); }
  dbv::SQLResult getErrorMessage(char* message) override { return Message(message); }
  dbv::SQLResult release() override { return Deleted(this, LogRelease()); }

 private:
  void Run(dbv::ISQLCursor** cursor) {
    rowsAffected_ = statement_.rowsAffected;
    *cursor = statement_.returnsCursor ? new FakeCursor(HookOf(), statement_) : nullptr;
  }

  Statement statement_;
  std::int32_t rowsAffected_ = 0;
};

class FakeMetaData final : public dbv::ISQLMetaData, private FakeObject {
 public:
  explicit FakeMetaData(std::shared_ptr<Hook> hook) : FakeObject(Kind::MetaData, "meta", std::move(hook)) {}

  dbv::SQLResult setOption(std::int32_t option, std::intptr_t value) override {
    return Log("setOption", option, static_cast<long long>(value));
  }
  dbv::SQLResult setStringOption(std::int32_t option, const char* value) override {
    return Log("setStringOption", option, std::string(value));
  }
  dbv::SQLResult getOption(std::int32_t option, void* value, std::int32_t maxLength, std::int32_t* length) override {
    return GetOption(option, value, maxLength, length);
  }
  dbv::SQLResult getErrorMessageLen(std::uint16_t* length) override { return MessageLength(length); }
  dbv::SQLResult getErrorMessage(char* message) override { return Message(message); }
  dbv::SQLResult release() override { return Deleted(this, LogRelease()); }

 private:
};

class FakeConnection final : public dbv::ISQLConnection, private FakeObject {
 public:
  FakeConnection() : FakeObject(Kind::Connection, "conn", std::make_shared<Hook>()) { SetCurrentHook(HookOf()); }
  ~FakeConnection() { HookOf()->callback = nullptr; }  // commands that outlive it trace no more

  dbv::SQLResult connect(const char* database, const char* userName, const char* password) override {
    const dbv::SQLResult status =
        Log("connect", std::string(database), std::string(userName), std::string(password));
    if (!dbv::failed(status) && !attached_) {
      attached_ = true;
      CountAttached(+1);
    }
    return status;
  }
  dbv::SQLResult disconnect() override {
    const dbv::SQLResult status = Log("disconnect");
    if (!dbv::failed(status) && attached_) {
      attached_ = false;
      CountAttached(-1);
    }
    return status;
  }
  dbv::SQLResult getSQLCommand(dbv::ISQLCommand** command) override {
    const dbv::SQLResult status = Log("getSQLCommand");
    if (!dbv::failed(status)) *command = new FakeCommand(HookOf());
    return status;
  }
  dbv::SQLResult getSQLMetaData(dbv::ISQLMetaData** metaData) override {
    const dbv::SQLResult status = Log("getSQLMetaData");
    if (!dbv::failed(status)) *metaData = new FakeMetaData(HookOf());
    return status;
  }
  dbv::SQLResult setOption(std::int32_t option, std::intptr_t value) override {
    const bool callback = option == dbv::connopt::TraceCallback && value != 0;
    const dbv::SQLResult status =
        callback ? Log("setOption", option, "callback") : Log("setOption", option, static_cast<long long>(value));
    if (dbv::failed(status)) return status;
    if (option == dbv::connopt::TraceCallback) HookOf()->callback = reinterpret_cast<dbv::TraceCallback>(value);
    if (option == dbv::connopt::TraceOwner) HookOf()->owner = static_cast<std::uint32_t>(value);
    return status;
  }
  dbv::SQLResult setStringOption(std::int32_t option, const char* value) override {
    return Log("setStringOption", option, std::string(value));
  }
  dbv::SQLResult getOption(std::int32_t option, void* value, std::int32_t maxLength, std::int32_t* length) override {
    return GetOption(option, value, maxLength, length);
  }
  dbv::SQLResult getErrorMessageLen(std::uint16_t* length) override { return MessageLength(length); }
  dbv::SQLResult getErrorMessage(char* message) override { return Message(message); }
  dbv::SQLResult release() override { return Deleted(this, LogRelease()); }

 private:
  bool attached_ = false;
};

class FakeDriverObject final : public dbv::ISQLDriver, private FakeObject {
 public:
  FakeDriverObject() : FakeObject(Kind::Driver, "driver", nullptr) {}

  dbv::SQLResult getSQLConnection(dbv::ISQLConnection** connection) override {
    const dbv::SQLResult status = Log("getSQLConnection");
    if (!dbv::failed(status)) *connection = new FakeConnection();
    return status;
  }
  dbv::SQLResult setOption(std::int32_t option, std::intptr_t value) override {
    return Log("setOption", option, static_cast<long long>(value));
  }
  dbv::SQLResult getOption(std::int32_t option, void* value, std::int32_t maxLength, std::int32_t* length) override {
    return GetOption(option, value, maxLength, length);
  }
  dbv::SQLResult release() override { return Deleted(this, LogRelease()); }
};

dbv::SQLResult CreateDriver(const char* entryName, const char* vendorLib, const char* errorResourceFile,
                            dbv::ISQLDriver** driver) {
  const std::string call =
      std::string(entryName) + "(" + Args(std::string(vendorLib), std::string(errorResourceFile)) + ")";
  if (!LoadScriptFileOnce()) return dbv::status::DriverInitFailed;
  const dbv::SQLResult status = Enter(call, nullptr, nullptr);
  if (!dbv::failed(status)) *driver = new FakeDriverObject();
  return status;
}

}  // namespace

}  // namespace fake::detail

// Exported like every symbol of the fake: the tests link its control API too.
extern "C" {

dbv::SQLResult getSQLDriverFIREBIRD(const char* vendorLib, const char* errorResourceFile, dbv::ISQLDriver** driver) {
  return fake::detail::CreateDriver("getSQLDriverFIREBIRD", vendorLib, errorResourceFile, driver);
}

dbv::SQLResult getSQLDriverFAKE(const char* vendorLib, const char* errorResourceFile, dbv::ISQLDriver** driver) {
  return fake::detail::CreateDriver("getSQLDriverFAKE", vendorLib, errorResourceFile, driver);
}

}  // extern "C"
