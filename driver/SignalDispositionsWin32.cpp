#include "SignalDispositions.h"

namespace dbvfb {

// The Windows client answers console events, not signals: nothing to keep.
SignalDispositionsKept::SignalDispositionsKept() noexcept = default;
SignalDispositionsKept::~SignalDispositionsKept() = default;

}  // namespace dbvfb
