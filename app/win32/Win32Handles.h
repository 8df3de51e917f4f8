// Move-only holders for the Win32 objects the face creates: each one deletes
// its object when it goes, and never twice.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <type_traits>

// The result of the delete is not examined: a handle Windows has freed
// already (a child window destroyed with its parent) is simply gone.
template <auto Delete>
struct DeleteWith {
  template <class Handle>
  void operator()(Handle handle) const noexcept {
    Delete(handle);
  }
};

using UniqueWindow = std::unique_ptr<std::remove_pointer_t<HWND>, DeleteWith<DestroyWindow>>;
using UniqueGdiObject = std::unique_ptr<void, DeleteWith<DeleteObject>>;

// UTF-16 text as the wide Win32 calls take it (wchar_t is 16 bits on Windows).
inline const wchar_t* Wide(const std::u16string& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }

inline std::u16string Utf16(const wchar_t* text) {
  return text != nullptr ? std::u16string(reinterpret_cast<const char16_t*>(text)) : std::u16string();
}
