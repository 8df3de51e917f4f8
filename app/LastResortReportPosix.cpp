#include "LastResortReport.h"

#include <cstdio>

void LastResortReport(const std::u16string&, const std::string& message) noexcept {
  std::fprintf(stderr, "%s\n", message.c_str());
}
