// File handles for the Win32 backend: closed when they go out of scope,
// written in full.
#ifndef KUV_PLATFORM_WIN32_WIN32_HANDLE_H_
#define KUV_PLATFORM_WIN32_WIN32_HANDLE_H_

#include <windows.h>

#include <algorithm>
#include <cstddef>

namespace kuv::platform::win32 {

// Closes a file handle when it goes out of scope.
class Handle {
 public:
  explicit Handle(HANDLE handle = INVALID_HANDLE_VALUE) : handle_(handle) {}
  ~Handle() { Reset(); }
  Handle(Handle&& other) noexcept : handle_(other.Release()) {}
  Handle& operator=(Handle&& other) noexcept {
    if (this != &other) {
      Reset();
      handle_ = other.Release();
    }
    return *this;
  }
  HANDLE get() const { return handle_; }
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE Release() {
    HANDLE handle = handle_;
    handle_ = INVALID_HANDLE_VALUE;
    return handle;
  }
  // False when closing reported an error.
  bool Reset() {
    bool ok = true;
    if (valid()) ok = ::CloseHandle(handle_) != 0;
    handle_ = INVALID_HANDLE_VALUE;
    return ok;
  }

 private:
  HANDLE handle_;
};

inline bool WriteAll(HANDLE handle, const char* data, std::size_t size) {
  while (size > 0) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
    DWORD written = 0;
    if (!::WriteFile(handle, data, chunk, &written, nullptr) || written == 0) return false;
    data += written;
    size -= written;
  }
  return true;
}

}  // namespace kuv::platform::win32

#endif  // KUV_PLATFORM_WIN32_WIN32_HANDLE_H_
