// Move-only holders for the Win32 objects the face creates: each one deletes
// its object when it goes, and never twice.
#pragma once

#include <windows.h>

#include <string>
#include <utility>

template <class Handle, BOOL(WINAPI* Delete)(Handle)>
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(Handle handle) : handle_(handle) {}
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) {
      reset();
      handle_ = std::exchange(other.handle_, nullptr);
    }
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  ~UniqueHandle() { reset(); }

  Handle get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }
  void reset() {
    // The result is not examined: a handle Windows has freed already (a
    // child window destroyed with its parent) is simply gone.
    if (handle_ != nullptr) Delete(std::exchange(handle_, nullptr));
  }

 private:
  Handle handle_ = nullptr;
};

using UniqueWindow = UniqueHandle<HWND, DestroyWindow>;

inline BOOL WINAPI DeleteGdiObject(HGDIOBJ object) { return DeleteObject(object); }
using UniqueGdiObject = UniqueHandle<HGDIOBJ, DeleteGdiObject>;

// UTF-16 text as the wide Win32 calls take it (wchar_t is 16 bits on Windows).
inline const wchar_t* Wide(const std::u16string& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }

inline std::u16string Utf16(const wchar_t* text) {
  return text != nullptr ? std::u16string(reinterpret_cast<const char16_t*>(text)) : std::u16string();
}
