// A fresh folder for one test's files, removed with everything in it when
// the test ends, and small helpers for the files in it.
#ifndef KUV_TESTS_SUPPORT_SCRATCH_FOLDER_H_
#define KUV_TESTS_SUPPORT_SCRATCH_FOLDER_H_

#include <optional>
#include <string>
#include <vector>

namespace kuv::testing {

class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::string& path() const { return path_; }
  // path() + "/" + name.
  std::string File(const std::string& name) const { return path_ + "/" + name; }
  // The names in the folder (hidden ones too), sorted.
  std::vector<std::string> Names() const;

 private:
  std::string path_;
};

// The bytes of a file, or nullopt when it cannot be read.
std::optional<std::string> ReadFileBytes(const std::string& path);
// Writes bytes to a new or truncated file; false on failure.
bool WriteFileBytes(const std::string& path, const std::string& bytes);

}  // namespace kuv::testing

#endif  // KUV_TESTS_SUPPORT_SCRATCH_FOLDER_H_
