// The default error report and the guard that brings every failure leaving an
// event handler to it, so that no exception crosses the toolkit's event loop.
#pragma once

#include <exception>
#include <utility>

// A silent abort shows nothing; any other failure is shown with its message
// (full stop by rule) under the application title, with the stop icon.
void ReportFailure(std::exception_ptr failure) noexcept;

// A failure before the message loop runs: a box captioned "Application Error"
// with the message; the caller then ends the process with status 1.
void ReportStartupFailure(std::exception_ptr failure) noexcept;

// Runs one event handler; whatever escapes it goes to the report, and the
// message loop goes on.
template <class Handler>
void RunGuarded(Handler&& handler) noexcept {
  try {
    std::forward<Handler>(handler)();
  } catch (...) {
    ReportFailure(std::current_exception());
  }
}
