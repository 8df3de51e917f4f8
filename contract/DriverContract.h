// The contract between the program and a database driver library.
//
// The program and the driver both include this header and share nothing else.
// Every operation answers a status whose low 16 bits are 0 on success. Objects
// are created by the driver and handed back through release(); nobody deletes
// them across the boundary. No exception may cross it in either direction.
#pragma once

#include <cstddef>
#include <cstdint>

namespace dbv {

using SQLResult = std::int32_t;

constexpr SQLResult kSuccess = 0;
constexpr std::uint16_t statusOf(SQLResult result) { return static_cast<std::uint16_t>(result & 0xFFFF); }
constexpr bool failed(SQLResult result) { return statusOf(result) != 0; }

// A failed result may carry this flag above its status: the failure means the
// connection to the server is gone (the network broken, the server or the
// database shut down, the attachment ended from outside), so nothing further
// can succeed on it. The status, and with it every error text, stays the same.
constexpr SQLResult kConnectionLost = 0x40000000;
constexpr bool connectionLost(SQLResult result) { return failed(result) && (result & kConnectionLost) != 0; }

// A failed result may carry this flag above its status: the server refused a
// schema change because the database's shape is not what the statement
// expects (the table is not there, the column or index is there already, a
// column an index names is not in the table), not because of the run's
// circumstances (a lock, a permission, space, a shutdown). The status, and
// with it every error text, stays the same.
constexpr SQLResult kShapeDiffers = 0x20000000;
constexpr bool shapeDiffers(SQLResult result) { return failed(result) && (result & kShapeDiffers) != 0; }

// Statuses with a fixed meaning on both sides.
namespace status {
constexpr std::uint16_t InsufficientMemory = 2;
constexpr std::uint16_t InvalidFieldType = 3;   // a value read with the getter of another type
constexpr std::uint16_t InvalidHandle = 4;
constexpr std::uint16_t NotSupported = 5;
constexpr std::uint16_t OutOfRange = 8;
constexpr std::uint16_t InvalidParameter = 9;
constexpr std::uint16_t EndOfResult = 10;     // next row: no more rows
constexpr std::uint16_t ParameterNotSet = 11;  // the statement has parameter markers and no values
constexpr std::uint16_t ConnectionFailed = 21;
constexpr std::uint16_t DriverInitFailed = 22;
constexpr std::uint16_t SqlError = 65;        // the server refused; its message is kept
constexpr std::uint16_t NoMoreData = 100;     // next row: also the end of the result
}  // namespace status

// Options of the driver connection object.
namespace connopt {
constexpr std::int32_t AutoCommit = 0;
constexpr std::int32_t BlockingMode = 1;
constexpr std::int32_t BlobSize = 2;
constexpr std::int32_t RoleName = 3;
constexpr std::int32_t WaitOnLocks = 4;
constexpr std::int32_t CommitRetain = 5;
constexpr std::int32_t TransIsolation = 6;
constexpr std::int32_t TraceCallback = 9;      // value: address of a TraceCallback, or 0
constexpr std::int32_t HostName = 10;
constexpr std::int32_t TraceOwner = 12;        // value: the monitor identity copied into every record
constexpr std::int32_t MaxActiveStatements = 14;
constexpr std::int32_t ServerCharSet = 15;
constexpr std::int32_t SqlDialect = 16;
constexpr std::int32_t OSAuthentication = 20;
constexpr std::int32_t MultipleTransaction = 22;
constexpr std::int32_t ServerPort = 23;
constexpr std::int32_t TrimChar = 25;
constexpr std::int32_t CustomString = 31;
constexpr std::int32_t ConnectionTimeout = 32;
}  // namespace connopt

// Isolation levels handed over with connopt::TransIsolation.
namespace isolation {
constexpr std::int32_t ReadCommitted = 0;
constexpr std::int32_t RepeatableRead = 1;
constexpr std::int32_t DirtyRead = 2;
}  // namespace isolation

// Options of the metadata object.
namespace metaopt {
constexpr std::int32_t UserName = 1;
constexpr std::int32_t SupportsTransaction = 5;   // 32-bit flag
constexpr std::int32_t QuoteChar = 11;            // one byte
constexpr std::int32_t SupportsTransactions = 15; // 32-bit flag: several at once
}  // namespace metaopt

// Options of the command object.
namespace cmdopt {
constexpr std::int32_t RowsetSize = 0;
}  // namespace cmdopt

// Column types a cursor reports.
enum class FieldType : std::uint16_t {
  Unknown = 0,
  String = 1,     // bytes, untranslated; read with getString
  Date = 2,       // days since 0001-01-01 is day 1; read with getDate
  Blob = 3,       // read with getBlobSize / getBlob
  Boolean = 4,    // read with getShort (0 or 1)
  Int16 = 5,
  Int32 = 6,
  Double = 7,     // FLOAT and DOUBLE PRECISION
  Decimal = 8,    // BIGINT and scaled NUMERIC/DECIMAL; read with getDecimal
  Bytes = 9,      // CHAR/VARCHAR CHARACTER SET OCTETS; read with getBytes
  Time = 10,      // milliseconds since midnight; read with getTime
  Timestamp = 11, // read with getTimestamp
};

// Longest column name a cursor hands out, NUL included.
constexpr std::size_t kMaxColumnName = 256;

struct SQLDecimal {
  std::int64_t unscaled;  // value = unscaled / 10^scale
  std::int16_t scale;
};

struct SQLTimestamp {
  std::int32_t date;          // as FieldType::Date
  std::uint32_t milliseconds; // as FieldType::Time
};

// One trace event, owned by the driver and valid only during the callback.
struct SQLTRACEDesc {
  char TraceText[1024];        // ended by the first NUL; a full field has none
  std::int32_t TraceCategory;
  std::uint32_t TraceOwner;    // the identity set with connopt::TraceOwner
};
using pSQLTRACEDesc = SQLTRACEDesc*;
static_assert(offsetof(SQLTRACEDesc, TraceText) == 0);
static_assert(offsetof(SQLTRACEDesc, TraceCategory) == 1024);
static_assert(offsetof(SQLTRACEDesc, TraceOwner) == 1028);
static_assert(sizeof(SQLTRACEDesc) == 1032);

// Categories of trace events, as the driver records them.
namespace trace {
constexpr std::int32_t Prepare = 1;
constexpr std::int32_t Execute = 2;
constexpr std::int32_t Error = 4;
constexpr std::int32_t Fetch = 8;
constexpr std::int32_t Connect = 16;
constexpr std::int32_t Transaction = 32;
constexpr std::int32_t Blob = 64;
constexpr std::int32_t Misc = 128;
}  // namespace trace

extern "C" {
using TraceCallback = std::int32_t (*)(std::int32_t category, pSQLTRACEDesc record);
}

class ISQLCursor {
 public:
  virtual SQLResult getColumnCount(std::uint16_t* count) = 0;
  virtual SQLResult getColumnName(std::uint16_t column, char* name) = 0;  // buffer of kMaxColumnName
  virtual SQLResult getColumnType(std::uint16_t column, FieldType* type, std::uint16_t* subType) = 0;
  virtual SQLResult getColumnLength(std::uint16_t column, std::uint32_t* length) = 0;
  virtual SQLResult getColumnPrecision(std::uint16_t column, std::int16_t* precision) = 0;
  virtual SQLResult getColumnScale(std::uint16_t column, std::int16_t* scale) = 0;
  virtual SQLResult isNullable(std::uint16_t column, bool* nullable) = 0;
  // 0 when a row became current; status::EndOfResult or status::NoMoreData at the end.
  virtual SQLResult next() = 0;
  // getString writes the value and a NUL into a buffer of the column length + 1.
  virtual SQLResult getString(std::uint16_t column, char* value, bool* isNull) = 0;
  virtual SQLResult getShort(std::uint16_t column, std::int16_t* value, bool* isNull) = 0;
  virtual SQLResult getLong(std::uint16_t column, std::int32_t* value, bool* isNull) = 0;
  virtual SQLResult getDouble(std::uint16_t column, double* value, bool* isNull) = 0;
  virtual SQLResult getDecimal(std::uint16_t column, SQLDecimal* value, bool* isNull) = 0;
  virtual SQLResult getDate(std::uint16_t column, std::int32_t* value, bool* isNull) = 0;
  virtual SQLResult getTime(std::uint16_t column, std::uint32_t* value, bool* isNull) = 0;
  virtual SQLResult getTimestamp(std::uint16_t column, SQLTimestamp* value, bool* isNull) = 0;
  // getBytes writes exactly the column length bytes.
  virtual SQLResult getBytes(std::uint16_t column, std::uint8_t* value, bool* isNull) = 0;
  virtual SQLResult getBlobSize(std::uint16_t column, std::uint32_t* size, bool* isNull) = 0;
  virtual SQLResult getBlob(std::uint16_t column, void* value, std::uint32_t size, bool* isNull) = 0;
  virtual SQLResult getErrorMessageLen(std::uint16_t* length) = 0;
  virtual SQLResult getErrorMessage(char* message) = 0;  // buffer of length + 1
  virtual SQLResult release() = 0;

 protected:
  ~ISQLCursor() = default;
};

class ISQLCommand {
 public:
  virtual SQLResult setOption(std::int32_t option, std::intptr_t value) = 0;
  virtual SQLResult getOption(std::int32_t option, void* value, std::int32_t maxLength, std::int32_t* length) = 0;
  virtual SQLResult prepare(const char* sql, std::uint16_t paramCount) = 0;
  // The cursor stays null when the statement yields no result set.
  virtual SQLResult execute(ISQLCursor** cursor) = 0;
  virtual SQLResult executeImmediate(const char* sql, ISQLCursor** cursor) = 0;
  virtual SQLResult getRowsAffected(std::int32_t* rows) = 0;
  virtual SQLResult close() = 0;
  virtual SQLResult getErrorMessageLen(std::uint16_t* length) = 0;
  virtual SQLResult getErrorMessage(char* message) = 0;
  virtual SQLResult release() = 0;

 protected:
  ~ISQLCommand() = default;
};

class ISQLMetaData {
 public:
  virtual SQLResult setOption(std::int32_t option, std::intptr_t value) = 0;
  virtual SQLResult setStringOption(std::int32_t option, const char* value) = 0;
  virtual SQLResult getOption(std::int32_t option, void* value, std::int32_t maxLength, std::int32_t* length) = 0;
  virtual SQLResult getErrorMessageLen(std::uint16_t* length) = 0;
  virtual SQLResult getErrorMessage(char* message) = 0;
  virtual SQLResult release() = 0;

 protected:
  ~ISQLMetaData() = default;
};

class ISQLConnection {
 public:
  virtual SQLResult connect(const char* database, const char* userName, const char* password) = 0;
  virtual SQLResult disconnect() = 0;
  virtual SQLResult getSQLCommand(ISQLCommand** command) = 0;
  virtual SQLResult getSQLMetaData(ISQLMetaData** metaData) = 0;
  // Integers, flags and addresses (trace callback) go through setOption,
  // zero-terminated single-byte texts through setStringOption.
  virtual SQLResult setOption(std::int32_t option, std::intptr_t value) = 0;
  virtual SQLResult setStringOption(std::int32_t option, const char* value) = 0;
  virtual SQLResult getOption(std::int32_t option, void* value, std::int32_t maxLength, std::int32_t* length) = 0;
  virtual SQLResult getErrorMessageLen(std::uint16_t* length) = 0;
  virtual SQLResult getErrorMessage(char* message) = 0;
  virtual SQLResult release() = 0;

 protected:
  ~ISQLConnection() = default;
};

class ISQLDriver {
 public:
  virtual SQLResult getSQLConnection(ISQLConnection** connection) = 0;
  virtual SQLResult setOption(std::int32_t option, std::intptr_t value) = 0;
  virtual SQLResult getOption(std::int32_t option, void* value, std::int32_t maxLength, std::int32_t* length) = 0;
  virtual SQLResult release() = 0;

 protected:
  ~ISQLDriver() = default;
};

extern "C" {
// The entry point a driver library exports under the name GetDriverFunc gives.
using GetDriverProc = SQLResult (*)(const char* vendorLib, const char* errorResourceFile, ISQLDriver** driver);
}

}  // namespace dbv
