#include "platform/posix/posix_registry.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/posix/posix_io.h"

namespace kuv::platform::posix {

namespace {

class FolderKey : public RegistryKey {
 public:
  explicit FolderKey(std::string folder) : folder_(std::move(folder)) {}

  std::optional<std::string> QueryValue(const char* name) override {
    std::string bytes;
    if (!ReadWholeFile(folder_ + "/" + name, &bytes)) return std::nullopt;
    return bytes;
  }

  bool SetStringValue(const char* name, const std::string& text) override {
    std::string data = text;
    data.push_back('\0');
    return WriteFileAtomically(folder_ + "/" + name, data);
  }

 private:
  std::string folder_;
};

bool IsFolder(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

std::string TemplateKeyFolder() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  std::string base;
  if (config != nullptr && *config != '\0') {
    base = config;
  } else {
    const char* home = std::getenv("HOME");
    if (home == nullptr || *home == '\0') return std::string();
    base = std::string(home) + "/.config";
  }
  return base + "/KUV/Template";
}

std::unique_ptr<RegistryKey> OpenKeyFolder(const std::string& folder) {
  if (folder.empty() || !IsFolder(folder)) return nullptr;
  return std::make_unique<FolderKey>(folder);
}

std::unique_ptr<RegistryKey> CreateKeyFolder(const std::string& folder) {
  if (folder.empty()) return nullptr;
  // Create each missing parent in turn, like mkdir -p.
  for (std::size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
    const std::string part = folder.substr(0, slash);
    if (::mkdir(part.c_str(), 0777) != 0 && errno != EEXIST) return nullptr;
    if (slash == std::string::npos) break;
  }
  return OpenKeyFolder(folder);
}

}  // namespace kuv::platform::posix
