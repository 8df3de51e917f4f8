#include "SignalDispositions.h"

namespace dbvfb {

SignalDispositionsKept::SignalDispositionsKept() noexcept {
  sigaction(SIGINT, nullptr, &interrupt_);
  sigaction(SIGTERM, nullptr, &terminate_);
}

SignalDispositionsKept::~SignalDispositionsKept() {
  sigaction(SIGINT, &interrupt_, nullptr);
  sigaction(SIGTERM, &terminate_, nullptr);
}

}  // namespace dbvfb
