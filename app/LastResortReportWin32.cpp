#include <windows.h>

#include "CodePage.h"
#include "LastResortReport.h"

void LastResortReport(const std::u16string& caption, const std::string& message) noexcept {
  try {
    const std::u16string text = FromCodePage950(message);
    const auto wide = [](const std::u16string& shown) { return reinterpret_cast<const wchar_t*>(shown.c_str()); };
    // Task-modal: no window of the program is there to own it.
    MessageBoxW(nullptr, wide(text), wide(caption), MB_OK | MB_ICONSTOP | MB_TASKMODAL | MB_SETFOREGROUND);
  } catch (...) {
    // No memory left even for the text: nothing can be shown.
  }
}
