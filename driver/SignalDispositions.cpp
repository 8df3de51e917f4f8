#include "SignalDispositions.h"

namespace dbvfb {

#ifdef _WIN32

// The Windows client answers console events, not signals.
SignalDispositionsKept::SignalDispositionsKept() noexcept = default;
SignalDispositionsKept::~SignalDispositionsKept() = default;

#else

SignalDispositionsKept::SignalDispositionsKept() noexcept {
  sigaction(SIGINT, nullptr, &interrupt_);
  sigaction(SIGTERM, nullptr, &terminate_);
}

SignalDispositionsKept::~SignalDispositionsKept() {
  sigaction(SIGINT, &interrupt_, nullptr);
  sigaction(SIGTERM, &terminate_, nullptr);
}

#endif

}  // namespace dbvfb
