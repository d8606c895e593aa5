#include "template_registration.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "tool_error.h"
#include "tool_location.h"

namespace kuv::tool {

namespace {

namespace fs = std::filesystem;

bool Exists(const std::string& path) {
  std::error_code error;
  return !path.empty() && fs::exists(path, error) && !error;
}

}  // namespace

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

void RestoreRegistration(const std::optional<std::string>& previous) {
  if (previous) {
    RegisterTemplate(*previous);
    return;
  }
  std::error_code ignored;
  fs::remove(TemplateValueFile(), ignored);
}

void EnsureTemplateRegistered(std::ostream& notices) {
  const std::optional<std::string> registered = RegisteredTemplate();
  if (registered && !registered->empty() && Exists(*registered)) return;
  const std::string shipped = ShippedTemplatePath();
  if (!Exists(shipped)) {
    throw DataError("no template is registered and the bundled one is missing: " + shipped);
  }
  RegisterTemplate(shipped);
  if (registered && !registered->empty()) {
    notices << "kuv: the registered template " << *registered << " no longer exists; ";
  } else {
    notices << "kuv: no template was registered; ";
  }
  notices << "registered the bundled template " << shipped << "\n";
}

}  // namespace kuv::tool
