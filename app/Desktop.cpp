#include "Desktop.h"

#include <stdexcept>

namespace {
Desktop* current = nullptr;
}  // namespace

Desktop& Desktop::Current() {
  if (current == nullptr) throw std::logic_error("no application object exists yet");
  return *current;
}

Desktop::Desktop() { current = this; }

Desktop::~Desktop() {
  if (current == this) current = nullptr;
}
