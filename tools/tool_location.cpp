#include "tool_location.h"

#ifdef _WIN32
#include <windows.h>
#endif

#include <filesystem>
#include <string>
#include <system_error>

namespace kuv::tool {

namespace {

namespace fs = std::filesystem;

// The folder of the running executable; empty when it cannot be told.
fs::path ExecutableFolder() {
#ifdef _WIN32
  // A path as long as the buffer may have been cut short: grow and retry.
  std::string self(MAX_PATH, '\0');
  for (;;) {
    const DWORD length =
        ::GetModuleFileNameA(nullptr, self.data(), static_cast<DWORD>(self.size()));
    if (length == 0) return fs::path();
    if (length < self.size()) {
      self.resize(length);
      break;
    }
    if (self.size() >= 32768) return fs::path();
    self.resize(self.size() * 2);
  }
  return fs::path(self).parent_path();
#else
  std::error_code error;
  fs::path self = fs::read_symlink("/proc/self/exe", error);
  if (error) return fs::path();
  return self.parent_path();
#endif
}

#ifndef _WIN32
bool SameFolder(const fs::path& a, const fs::path& b) {
  std::error_code error;
  return !a.empty() && fs::equivalent(a, b, error) && !error;
}
#endif

// Picks the build-tree location when the executable still runs from the
// folder it was built in, else the location relative to the installed bin/.
// On Windows the build tree is laid out like an installed prefix, so the
// relative location serves both and no build-machine path is needed.
std::string Locate([[maybe_unused]] const char* inBuildTree, const char* relativeToBin) {
  const fs::path folder = ExecutableFolder();
#ifdef _WIN32
  if (folder.empty()) return relativeToBin;
#else
  if (folder.empty() || SameFolder(folder, KUV_TOOL_BUILD_DIR)) return inBuildTree;
#endif
  return (folder / relativeToBin).lexically_normal().string();
}

}  // namespace

std::string ShippedTemplatePath() { return Locate(KUV_BUILD_TEMPLATE, KUV_INSTALLED_TEMPLATE); }

}  // namespace kuv::tool
