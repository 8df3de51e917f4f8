#include "Tracer.h"

#include <algorithm>
#include <cstring>

namespace dbvfb {

void Tracer::emit(std::int32_t category, std::string_view text) const noexcept {
  if (callback_ == nullptr) return;
  dbv::SQLTRACEDesc record{};
  const std::size_t length = std::min(text.size(), sizeof record.TraceText - 1);
  std::memcpy(record.TraceText, text.data(), length);
  record.TraceCategory = category;
  record.TraceOwner = owner_;
  try {
    callback_(category, &record);
  } catch (...) {
    // A failing log must not end the database operation that raised the event.
  }
}

}  // namespace dbvfb
