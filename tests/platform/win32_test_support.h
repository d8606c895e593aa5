// Helpers for the tests of the Win32 backend, which run against the real
// registry and files (under Wine on the build machine).
#ifndef KUV_TESTS_PLATFORM_WIN32_TEST_SUPPORT_H_
#define KUV_TESTS_PLATFORM_WIN32_TEST_SUPPORT_H_
#ifdef _WIN32

#include <windows.h>

#include <optional>
#include <string>

namespace kuv::testing {

// True inside Wine, where no desktop answers a dialog.
inline bool RunningUnderWine() {
  HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
  return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// Holds the template key for one test: test programs run in parallel and
// share the registry. Keeps the FileName value that was there and puts it
// back afterwards. view names one view of the registry (KEY_WOW64_64KEY or
// KEY_WOW64_32KEY); 0 is the process's own.
class TemplateKeyLease {
 public:
  explicit TemplateKeyLease(REGSAM view = 0)
      : mutex_(::CreateMutexA(nullptr, FALSE, "Local\\kuv-test-template-key")), view_(view) {
    if (mutex_ != nullptr) ::WaitForSingleObject(mutex_, INFINITE);
    saved_ = ReadFileName(nullptr, view_);
  }
  ~TemplateKeyLease() {
    if (saved_) {
      WriteFileName(*saved_, view_);
    } else {
      DeleteFileName(view_);
    }
    if (mutex_ != nullptr) {
      ::ReleaseMutex(mutex_);
      ::CloseHandle(mutex_);
    }
  }
  TemplateKeyLease(const TemplateKeyLease&) = delete;
  TemplateKeyLease& operator=(const TemplateKeyLease&) = delete;

  // The raw bytes and type of the value, straight from the registry.
  static std::optional<std::string> ReadFileName(DWORD* type = nullptr, REGSAM view = 0) {
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, KEY_READ | view, &key) != ERROR_SUCCESS) {
      return std::nullopt;
    }
    DWORD size = 0;
    DWORD kind = 0;
    std::optional<std::string> bytes;
    if (::RegQueryValueExA(key, "FileName", nullptr, &kind, nullptr, &size) == ERROR_SUCCESS) {
      std::string data(size, '\0');
      if (::RegQueryValueExA(key, "FileName", nullptr, nullptr,
                             reinterpret_cast<BYTE*>(data.data()), &size) == ERROR_SUCCESS) {
        data.resize(size);
        bytes = data;
        if (type != nullptr) *type = kind;
      }
    }
    ::RegCloseKey(key);
    return bytes;
  }
  static void WriteFileName(const std::string& bytes, REGSAM view = 0) {
    HKEY key = nullptr;
    if (::RegCreateKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_WRITE | view, nullptr, &key,
                          nullptr) != ERROR_SUCCESS) {
      return;
    }
    ::RegSetValueExA(key, "FileName", 0, REG_SZ, reinterpret_cast<const BYTE*>(bytes.data()),
                     static_cast<DWORD>(bytes.size()));
    ::RegCloseKey(key);
  }
  static void DeleteFileName(REGSAM view = 0) {
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, KEY_WRITE | view, &key) != ERROR_SUCCESS) {
      return;
    }
    ::RegDeleteValueA(key, "FileName");
    ::RegCloseKey(key);
  }

 private:
  static constexpr const char* kKey = "Software\\KUV\\Template";
  HANDLE mutex_;  // recursive: one thread may hold leases of both views
  REGSAM view_;
  std::optional<std::string> saved_;
};

}  // namespace kuv::testing

#endif  // _WIN32
#endif  // KUV_TESTS_PLATFORM_WIN32_TEST_SUPPORT_H_
