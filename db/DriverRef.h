// Holder of one driver object (the connection's or a statement's): handed
// back to the driver through release() when the holder goes or is reset. The
// answer to release() is not examined: the object is gone either way.
#pragma once

#include <utility>

template <typename DriverObject>
class DriverRef {
 public:
  DriverRef() = default;
  explicit DriverRef(DriverObject* object) noexcept : object_(object) {}
  DriverRef(const DriverRef&) = delete;
  DriverRef& operator=(const DriverRef&) = delete;
  DriverRef(DriverRef&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
  DriverRef& operator=(DriverRef&& other) noexcept {
    if (this != &other) {
      Reset();
      object_ = std::exchange(other.object_, nullptr);
    }
    return *this;
  }
  ~DriverRef() { Reset(); }

  DriverObject* Get() const noexcept { return object_; }
  DriverObject* operator->() const noexcept { return object_; }
  explicit operator bool() const noexcept { return object_ != nullptr; }

  void Reset() noexcept {
    if (object_ != nullptr) std::exchange(object_, nullptr)->release();
  }

 private:
  DriverObject* object_ = nullptr;
};
