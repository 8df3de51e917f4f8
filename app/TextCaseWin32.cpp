#include <windows.h>

#include "TextCase.h"

std::u16string LowerCase(std::u16string text) {
  if (!text.empty()) CharLowerBuffW(reinterpret_cast<wchar_t*>(text.data()), static_cast<DWORD>(text.size()));
  return text;
}
