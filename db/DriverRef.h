// Holder of one driver object (the connection's or a statement's): handed
// back to the driver through release() when the holder goes or is reset. The
// answer to release() is not examined: the object is gone either way.
#pragma once

#include <memory>

struct ReleaseDriverObject {
  template <typename DriverObject>
  void operator()(DriverObject* object) const noexcept {
    object->release();
  }
};

template <typename DriverObject>
using DriverRef = std::unique_ptr<DriverObject, ReleaseDriverObject>;
