// A platform for tests: an in-memory registry, a scripted file dialog, a
// fixed clock, a counting cursor, and the real POSIX files (or, when a
// test opts in, files in memory) with failures injected where a test asks
// for them.
#ifndef KUV_TESTS_SUPPORT_FAKE_PLATFORM_H_
#define KUV_TESTS_SUPPORT_FAKE_PLATFORM_H_

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace kuv::testing {

// Files held in memory, so that a test or a fuzz input that opens and saves
// documents costs no disk traffic. They behave as the POSIX backend's do
// where the library can tell: files are created only in folders that were
// added; a shared opener excludes exclusive ones and the other way round;
// a replacement holds the old file exclusively and takes its place only at
// Commit, all at once.
class MemoryFileSystem {
 public:
  MemoryFileSystem();
  ~MemoryFileSystem();

  void AddFolder(const std::string& path);
  // Puts bytes in place of path at once, as a whole-file write would.
  void Write(const std::string& path, std::string bytes);
  // The file's bytes; nullopt when there is no such file.
  std::optional<std::string> Read(const std::string& path) const;
  void Remove(const std::string& path);
  bool Exists(const std::string& path) const;

  std::unique_ptr<platform::InputFile> OpenInput(const std::string& path,
                                                 platform::Sharing sharing);
  std::unique_ptr<platform::OutputFile> BeginReplace(const std::string& path);

 private:
  struct File;
  class Input;
  class Replacement;

  std::set<std::string> folders_;
  std::map<std::string, std::shared_ptr<File>> files_;
};

class FakePlatform : public platform::Platform {
 public:
  // Registry.
  bool keyExists = true;
  bool keyCreatable = true;
  std::map<std::string, std::string> registryValues;
  int registryWrites = 0;

  // File dialog: each call takes the next answer; nullopt is a cancel.
  std::vector<std::optional<std::string>> dialogAnswers;
  int dialogCalls = 0;

  // Wait cursor: how often it was shown and restored.
  int cursorShown = 0;
  int cursorRestored = 0;

  platform::LocalTime now{2002, 10, 1, 14, 5};

  // Files. A replacement fails its Write once this many bytes would be
  // exceeded, or at Commit; an input fails to open when the path is
  // listed.
  std::optional<std::size_t> failWriteAfterBytes;
  bool failCommit = false;
  bool failBeginReplace = false;
  std::vector<std::string> unopenableInputs;

  // With useMemoryFiles the files above are those of memoryFiles, and the
  // disk is never touched.
  bool useMemoryFiles = false;
  MemoryFileSystem memoryFiles;

  std::unique_ptr<platform::RegistryKey> OpenTemplateKey() override;
  std::unique_ptr<platform::RegistryKey> CreateTemplateKey() override;
  std::optional<std::string> AskForTemplateFile() override;
  bool PathExists(const std::string& path) override;
  void* ShowWaitCursor() override;
  void RestoreCursor(void* previous) override;
  platform::LocalTime CurrentLocalTime() override { return now; }
  using platform::Platform::OpenInput;
  std::unique_ptr<platform::InputFile> OpenInput(const std::string& path, platform::Sharing sharing,
                                                 platform::FileFailure* failure) override;
  std::unique_ptr<platform::OutputFile> BeginReplace(const std::string& path) override;
};

// Loads the library against a fake platform for the test's lifetime.
class LoadedLibrary {
 public:
  explicit LoadedLibrary(FakePlatform& platform);
  ~LoadedLibrary();
  bool loaded() const { return loaded_; }

 private:
  bool loaded_;
};

}  // namespace kuv::testing

#endif  // KUV_TESTS_SUPPORT_FAKE_PLATFORM_H_
