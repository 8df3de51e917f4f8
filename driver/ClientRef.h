// Holder of one reference to a client object: released when the holder goes.
// A client call that ends the object itself on success (commit, rollback,
// detach, close, free) is followed by forget(), so nothing is released twice.
#pragma once

#include <utility>

namespace dbvfb {

template <typename Object>
class ClientRef {
 public:
  ClientRef() = default;
  explicit ClientRef(Object* object) noexcept : object_(object) {}
  ClientRef(const ClientRef&) = delete;
  ClientRef& operator=(const ClientRef&) = delete;
  ClientRef(ClientRef&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
  ClientRef& operator=(ClientRef&& other) noexcept {
    if (this != &other) {
      reset();
      object_ = std::exchange(other.object_, nullptr);
    }
    return *this;
  }
  ~ClientRef() { reset(); }

  // A second holder of the same object, for an owner that may outlive this one.
  ClientRef share() const noexcept {
    if (object_ != nullptr) object_->addRef();
    return ClientRef(object_);
  }

  Object* get() const noexcept { return object_; }
  Object* operator->() const noexcept { return object_; }
  explicit operator bool() const noexcept { return object_ != nullptr; }

  void forget() noexcept { object_ = nullptr; }
  void reset() noexcept {
    if (object_ != nullptr) std::exchange(object_, nullptr)->release();
  }

 private:
  Object* object_ = nullptr;
};

}  // namespace dbvfb
