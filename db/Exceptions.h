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

class EDatabaseError : public Exception {
 public:
  explicit EDatabaseError(std::string message, bool connectionLost = false)
      : Exception(std::move(message)), connectionLost_(connectionLost) {}
  // True when the driver said the connection to the server is gone, so that
  // no later statement of the run can succeed.
  bool ConnectionLost() const noexcept { return connectionLost_; }

 private:
  bool connectionLost_;
};

class EConvertError : public Exception {
 public:
  using Exception::Exception;
};

class ERegistryException : public Exception {
 public:
  using Exception::Exception;
};
