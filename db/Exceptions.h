// Failures of the program. Each carries its final message bytes (code page
// 950 text), composed once where the failure is understood.
#pragma once

#include <exception>
#include <string>

class Exception : public std::exception {
 public:
  explicit Exception(std::string message) : message_(std::move(message)) {}
  const std::string& message() const noexcept { return message_; }
  const char* what() const noexcept override { return message_.c_str(); }

 private:
  std::string message_;
};

// Raised only to abandon the current operation quietly; the error report drops it.
class EAbort : public Exception {
 public:
  EAbort() : Exception("Operation aborted") {}
};

// What a database error means beyond its text, as the driver flagged it.
enum class DatabaseFailure {
  Refused,         // the layer or the server refused; the connection goes on
  ConnectionLost,  // the connection to the server is gone: nothing later can succeed on it
  ShapeDiffers,    // a schema change refused because the database's shape is not the one it expects
};

class EDatabaseError : public Exception {
 public:
  explicit EDatabaseError(std::string message, DatabaseFailure kind = DatabaseFailure::Refused)
      : Exception(std::move(message)), kind_(kind) {}
  // True when the driver said the connection to the server is gone, so that
  // no later statement of the run can succeed.
  bool ConnectionLost() const noexcept { return kind_ == DatabaseFailure::ConnectionLost; }
  // True when the driver said the server refused a schema change for the
  // database's shape alone (a table missing, a column or index already there).
  bool ShapeDiffers() const noexcept { return kind_ == DatabaseFailure::ShapeDiffers; }

 private:
  DatabaseFailure kind_;
};

class EConvertError : public Exception {
 public:
  using Exception::Exception;
};

class ERegistryException : public Exception {
 public:
  using Exception::Exception;
};
