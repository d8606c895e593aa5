#include "platform/win32/win32_registry.h"

#include <windows.h>

#include <limits>

namespace kuv::platform::win32 {

namespace {

constexpr const char* kTemplateKeyPath = "Software\\KUV\\Template";

class Win32Key : public RegistryKey {
 public:
  explicit Win32Key(HKEY key) : key_(key) {}
  ~Win32Key() override { ::RegCloseKey(key_); }
  Win32Key(const Win32Key&) = delete;
  Win32Key& operator=(const Win32Key&) = delete;

  std::optional<std::string> QueryValue(const char* name) override {
    DWORD size = 0;
    if (::RegQueryValueExA(key_, name, nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS) {
      return std::nullopt;
    }
    // The value may grow between the two reads; ask again with the new
    // size a few times rather than hand back a cut-off path.
    std::string bytes;
    for (int attempt = 0; attempt < 4; ++attempt) {
      bytes.assign(size, '\0');
      DWORD got = size;
      const LONG status = ::RegQueryValueExA(
          key_, name, nullptr, nullptr,
          bytes.empty() ? nullptr : reinterpret_cast<BYTE*>(bytes.data()), &got);
      if (status == ERROR_MORE_DATA) {
        size = got;
        continue;
      }
      if (status == ERROR_SUCCESS && got <= bytes.size()) bytes.resize(got);
      return bytes;  // a failed second read leaves zeros: an empty path
    }
    return std::string();
  }

  bool SetStringValue(const char* name, const std::string& text) override {
    // REG_SZ data counts its terminating zero byte.
    if (text.size() >= std::numeric_limits<DWORD>::max()) return false;
    return ::RegSetValueExA(key_, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                            static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS;
  }

 private:
  HKEY key_;
};

}  // namespace

std::unique_ptr<RegistryKey> OpenTemplateKey() {
  HKEY key = nullptr;
  if (::RegOpenKeyA(HKEY_LOCAL_MACHINE, kTemplateKeyPath, &key) != ERROR_SUCCESS) return nullptr;
  return std::make_unique<Win32Key>(key);
}

std::unique_ptr<RegistryKey> CreateTemplateKey() {
  HKEY key = nullptr;
  if (::RegCreateKeyA(HKEY_LOCAL_MACHINE, kTemplateKeyPath, &key) != ERROR_SUCCESS) {
    return nullptr;
  }
  return std::make_unique<Win32Key>(key);
}

}  // namespace kuv::platform::win32
