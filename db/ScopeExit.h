// A clean-up that runs when its scope ends, by return or by exception, unless
// dismissed first. Dismissed at the end of the success path, it is a clean-up
// on failure only. It runs while an exception unwinds, so it must not throw.
#pragma once

#include <type_traits>
#include <utility>

template <typename Cleanup>
class ScopeExit {
  static_assert(std::is_nothrow_invocable_v<Cleanup&>, "a clean-up may run during unwinding: it must be noexcept");

 public:
  explicit ScopeExit(Cleanup cleanup) noexcept(std::is_nothrow_move_constructible_v<Cleanup>)
      : cleanup_(std::move(cleanup)) {}
  ScopeExit(const ScopeExit&) = delete;
  ScopeExit& operator=(const ScopeExit&) = delete;
  ~ScopeExit() {
    if (armed_) cleanup_();
  }

  void Dismiss() noexcept { armed_ = false; }

 private:
  Cleanup cleanup_;
  bool armed_ = true;
};
