// What the harnesses share for the life of the process: a scratch folder of
// their own, a fake platform, and the templates they attach with. The
// folder and the templates exist twice, on disk and in the platform's
// memory files; the harnesses pick which the library uses.
#ifndef KUV_FUZZ_FUZZ_ENVIRONMENT_H_
#define KUV_FUZZ_FUZZ_ENVIRONMENT_H_

#include <cstddef>
#include <cstdint>
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
  // the library again. Returns whether the load succeeded. The choice of
  // disk or memory stays.
  bool Reload(const std::optional<std::string>& templatePath);

  // Whether the library's files, and those of the helpers below, are the
  // real ones on disk (saves synced) or the platform's memory files.
  // Memory is the default: an input then costs no disk traffic.
  void UseDisk(bool onDisk) { platform_.useMemoryFiles = !onDisk; }
  bool usesDisk() const { return !platform_.useMemoryFiles; }

  // Whole-file helpers for the scratch folder, on disk or in memory.
  void WriteFile(const std::string& path, const void* data, std::size_t size);
  std::optional<std::string> ReadFile(const std::string& path);
  void RemoveFile(const std::string& path);

 private:
  FuzzEnvironment();
  ~FuzzEnvironment();

  testing::FakePlatform platform_;
  std::string folder_;
  std::string currentTemplate_;
  std::string oldTemplate_;
};

// Whether an input also takes the disk path: a fixed one in
// kDiskSampleRate of all inputs, picked by a hash of its bytes so that a
// find replays the same way.
constexpr std::uint64_t kDiskSampleRate = 64;
bool SampledForDisk(const std::uint8_t* data, std::size_t size);

// How often an input runs through the library's files on disk.
enum class DiskUse {
  kSampled,  // the inputs SampledForDisk picks, after their run in memory
  kAlways,   // every input, after its run in memory (the regression replay)
};

}  // namespace kuv::fuzz

#endif  // KUV_FUZZ_FUZZ_ENVIRONMENT_H_
