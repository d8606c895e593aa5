// What the harnesses share for the life of the process: a scratch folder of
// their own, a fake platform, and the templates they attach with.
#ifndef KUV_FUZZ_FUZZ_ENVIRONMENT_H_
#define KUV_FUZZ_FUZZ_ENVIRONMENT_H_

#include <cstddef>
#include <optional>
#include <string>

#include "support/fake_platform.h"

namespace kuv::fuzz {

class FuzzEnvironment {
 public:
  // The environment of this process, made on first use. Its scratch folder
  // is removed when the process ends normally.
  static FuzzEnvironment& Get();

  FuzzEnvironment(const FuzzEnvironment&) = delete;
  FuzzEnvironment& operator=(const FuzzEnvironment&) = delete;

  testing::FakePlatform& platform() { return platform_; }
  // A path in the scratch folder.
  std::string PathOf(const char* name) const;

  // A template that declares tables A and Z, B and C under A, D under B,
  // and the fields a1, a2, b1, c1, d1 and z1, for the IDs X and Y.
  const std::string& currentTemplatePath() const { return currentTemplate_; }
  // The same template with a version below the accepted one.
  const std::string& oldTemplatePath() const { return oldTemplate_; }

  // Unloads the library, puts the fake platform back to its plain settings
  // with templatePath as the registry value (none when nullopt), and loads
  // the library again. Returns whether the load succeeded.
  bool Reload(const std::optional<std::string>& templatePath);

 private:
  FuzzEnvironment();
  ~FuzzEnvironment();

  testing::FakePlatform platform_;
  std::string folder_;
  std::string currentTemplate_;
  std::string oldTemplate_;
};

// Whole-file helpers for the scratch folder.
void WriteWholeFile(const std::string& path, const void* data, std::size_t size);
std::optional<std::string> ReadWholeFile(const std::string& path);
void RemoveFile(const std::string& path);

}  // namespace kuv::fuzz

#endif  // KUV_FUZZ_FUZZ_ENVIRONMENT_H_
