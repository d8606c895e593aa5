// The registered template kept as a file, the stand-in for the registry
// value where there is no registry.
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "template_registration.h"
#include "tool_error.h"

namespace kuv::tool {

namespace fs = std::filesystem;

std::string TemplateValueFile() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  std::string base;
  if (config != nullptr && *config != '\0') {
    base = config;
  } else {
    const char* home = std::getenv("HOME");
    if (home == nullptr || *home == '\0') return std::string();
    base = std::string(home) + "/.config";
  }
  return base + "/KUV/Template/FileName";
}

std::optional<std::string> RegisteredTemplate() {
  const std::string file = TemplateValueFile();
  if (file.empty()) return std::nullopt;
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  // The value is cut at its first zero byte, as the library reads it.
  bytes.resize(std::min(bytes.size(), bytes.find('\0')));
  return bytes;
}

void RegisterTemplate(const std::string& path) {
  const std::string file = TemplateValueFile();
  if (file.empty())
    throw DataError("cannot register the template: neither XDG_CONFIG_HOME nor HOME is set");
  const fs::path target(file);
  std::error_code error;
  fs::create_directories(target.parent_path(), error);
  // Written beside the target and renamed over it, so that a reader sees
  // the old value or the new one, never a part.
  const fs::path temporary =
      target.parent_path() / (".FileName." + std::to_string(::getpid()) + ".tmp");
  bool written = false;
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(path.data(), static_cast<std::streamsize>(path.size()));
    out.put('\0');
    out.flush();
    written = static_cast<bool>(out);
  }
  if (written) fs::rename(temporary, target, error);
  if (!written || error) {
    fs::remove(temporary, error);
    throw DataError("cannot register the template in " + file);
  }
}

}  // namespace kuv::tool
