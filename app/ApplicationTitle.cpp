#include "ApplicationTitle.h"

#include "TextCase.h"

std::u16string ApplicationTitle(const std::u16string& executablePath, char16_t separator) {
  const std::size_t lastSeparator = executablePath.rfind(separator);
  std::u16string name = executablePath.substr(lastSeparator == std::u16string::npos ? 0 : lastSeparator + 1);
  name = name.substr(0, name.find(u'.'));
  if (name.empty()) return name;
  // The first character is kept whole even when it is a surrogate pair.
  const bool pair = name[0] >= 0xD800 && name[0] < 0xDC00 && name.size() > 1;
  const std::size_t firstLength = pair ? 2 : 1;
  return name.substr(0, firstLength) + LowerCase(name.substr(firstLength));
}
