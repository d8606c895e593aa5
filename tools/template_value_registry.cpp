// The registered template kept where the library reads it on Windows: the
// value FileName (REG_SZ) of HKEY_LOCAL_MACHINE\Software\KUV\Template.
#include <windows.h>

#include <algorithm>
#include <string>

#include "template_registration.h"
#include "tool_error.h"

namespace kuv::tool {

namespace {

constexpr const char* kTemplateKeyPath = "Software\\KUV\\Template";
constexpr const char* kValueName = "FileName";

// Closes the key on every way out.
class OpenKey {
 public:
  explicit OpenKey(HKEY key) : key_(key) {}
  ~OpenKey() {
    if (key_ != nullptr) ::RegCloseKey(key_);
  }
  OpenKey(const OpenKey&) = delete;
  OpenKey& operator=(const OpenKey&) = delete;
  HKEY get() const { return key_; }

 private:
  HKEY key_;
};

HKEY CreateTemplateKey() {
  HKEY key = nullptr;
  if (::RegCreateKeyA(HKEY_LOCAL_MACHINE, kTemplateKeyPath, &key) != ERROR_SUCCESS) {
    throw DataError("cannot register the template: the registry key cannot be opened");
  }
  return key;
}

}  // namespace

std::optional<std::string> RegisteredTemplate() {
  HKEY raw = nullptr;
  if (::RegOpenKeyA(HKEY_LOCAL_MACHINE, kTemplateKeyPath, &raw) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  const OpenKey key(raw);
  DWORD size = 0;
  if (::RegQueryValueExA(key.get(), kValueName, nullptr, nullptr, nullptr, &size) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  std::string bytes(size, '\0');
  // The value may change between the two queries; a grown one reports
  // ERROR_MORE_DATA and is read as absent rather than cut short.
  if (size > 0 &&
      ::RegQueryValueExA(key.get(), kValueName, nullptr, nullptr,
                         reinterpret_cast<BYTE*>(bytes.data()), &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  bytes.resize(std::min<std::size_t>(size, bytes.size()));
  // The value is cut at its first zero byte, as the library reads it.
  bytes.resize(std::min(bytes.size(), bytes.find('\0')));
  return bytes;
}

void RegisterTemplate(const std::string& path) {
  const OpenKey key(CreateTemplateKey());
  // The terminating zero byte is part of a REG_SZ value's size.
  const DWORD size = static_cast<DWORD>(path.size() + 1);
  if (::RegSetValueExA(key.get(), kValueName, 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(path.c_str()), size) != ERROR_SUCCESS) {
    throw DataError("cannot register the template in the registry");
  }
}

}  // namespace kuv::tool
