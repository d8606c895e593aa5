#include "tool_location.h"

#include <filesystem>
#include <system_error>

namespace kuv::tool {

namespace {

namespace fs = std::filesystem;

// The folder of the running executable; empty when it cannot be told.
fs::path ExecutableFolder() {
  std::error_code error;
  fs::path self = fs::read_symlink("/proc/self/exe", error);
  if (error) return fs::path();
  return self.parent_path();
}

bool SameFolder(const fs::path& a, const fs::path& b) {
  std::error_code error;
  return !a.empty() && fs::equivalent(a, b, error) && !error;
}

// Picks the build-tree location when the executable still runs from the
// folder it was built in, else the location relative to the installed bin/.
std::string Locate(const char* inBuildTree, const char* relativeToBin) {
  const fs::path folder = ExecutableFolder();
  if (folder.empty() || SameFolder(folder, KUV_TOOL_BUILD_DIR)) return inBuildTree;
  return (folder / relativeToBin).lexically_normal().string();
}

}  // namespace

std::string ShippedLibraryPath() { return Locate(KUV_BUILD_LIBRARY, KUV_INSTALLED_LIBRARY); }

std::string ShippedTemplatePath() { return Locate(KUV_BUILD_TEMPLATE, KUV_INSTALLED_TEMPLATE); }

}  // namespace kuv::tool
