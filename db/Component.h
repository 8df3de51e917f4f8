// What every named part of the main window shares: its name, used as the
// prefix of the failures it raises about itself, and the flag that tear-down
// sets before anything is freed, so that no part reacts to outside events any more.
#pragma once

#include <string>

#include "Exceptions.h"

class TComponent {
 public:
  explicit TComponent(std::string name) : name_(std::move(name)) {}
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;
  virtual ~TComponent() = default;

  const std::string& Name() const { return name_; }
  bool Destroying() const { return destroying_; }
  void MarkDestroying() { destroying_ = true; }

  // "Name: message", the form of a failure a component detects itself.
  [[noreturn]] void RaiseOwnError(const std::string& message) const {
    throw EDatabaseError(name_ + ": " + message);
  }

 private:
  std::string name_;
  bool destroying_ = false;
};
