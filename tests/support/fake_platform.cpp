#include "support/fake_platform.h"

#include <sys/stat.h>

#include <algorithm>
#include <utility>

#include "frame/library_state.h"

namespace kuv::testing {

namespace {

class FakeKey : public platform::RegistryKey {
 public:
  explicit FakeKey(FakePlatform& owner) : owner_(owner) {}
  std::optional<std::string> QueryValue(const char* name) override {
    auto found = owner_.registryValues.find(name);
    if (found == owner_.registryValues.end()) return std::nullopt;
    return found->second;
  }
  bool SetStringValue(const char* name, const std::string& text) override {
    ++owner_.registryWrites;
    owner_.registryValues[name] = text + std::string(1, '\0');
    return true;
  }

 private:
  FakePlatform& owner_;
};

class FailingReplacement : public platform::OutputFile {
 public:
  FailingReplacement(std::unique_ptr<platform::OutputFile> inner, FakePlatform& owner)
      : inner_(std::move(inner)), owner_(owner) {}
  bool Write(const char* data, std::size_t size) override {
    if (owner_.failWriteAfterBytes && written_ + size > *owner_.failWriteAfterBytes) {
      std::size_t part = *owner_.failWriteAfterBytes - written_;
      inner_->Write(data, part);  // a write that fails part way
      written_ += part;
      return false;
    }
    written_ += size;
    return inner_->Write(data, size);
  }
  bool Commit() override { return !owner_.failCommit && inner_->Commit(); }

 private:
  std::unique_ptr<platform::OutputFile> inner_;
  FakePlatform& owner_;
  std::size_t written_ = 0;
};

std::string FolderOf(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

}  // namespace

// A file's bytes and the locks its openers hold, as flock(2) keeps them per
// file: a replaced file keeps its locks and its readers.
struct MemoryFileSystem::File {
  std::string bytes;
  int sharedLocks = 0;
  bool exclusiveLock = false;

  bool Lock(platform::Sharing sharing) {
    if (exclusiveLock) return false;
    if (sharing == platform::Sharing::kShared) {
      ++sharedLocks;
      return true;
    }
    if (sharedLocks != 0) return false;
    exclusiveLock = true;
    return true;
  }
  void Unlock(platform::Sharing sharing) {
    if (sharing == platform::Sharing::kShared) {
      --sharedLocks;
    } else {
      exclusiveLock = false;
    }
  }
};

class MemoryFileSystem::Input : public platform::InputFile {
 public:
  Input(std::shared_ptr<File> file, platform::Sharing sharing)
      : file_(std::move(file)), sharing_(sharing) {}
  ~Input() override { file_->Unlock(sharing_); }
  long long Read(char* buffer, std::size_t size) override {
    const std::size_t count = std::min(size, file_->bytes.size() - position_);
    std::copy_n(file_->bytes.data() + position_, count, buffer);
    position_ += count;
    return static_cast<long long>(count);
  }

 private:
  std::shared_ptr<File> file_;
  platform::Sharing sharing_;
  std::size_t position_ = 0;
};

class MemoryFileSystem::Replacement : public platform::OutputFile {
 public:
  Replacement(MemoryFileSystem& owner, std::string target, std::shared_ptr<File> old)
      : owner_(owner), target_(std::move(target)), old_(std::move(old)) {}
  ~Replacement() override {
    if (old_) old_->Unlock(platform::Sharing::kExclusive);
  }
  bool Write(const char* data, std::size_t size) override {
    if (committed_) return false;
    bytes_.append(data, size);
    return true;
  }
  bool Commit() override {
    if (committed_) return false;
    committed_ = true;
    auto file = std::make_shared<File>();
    file->bytes = std::move(bytes_);
    owner_.files_[target_] = std::move(file);
    return true;
  }

 private:
  MemoryFileSystem& owner_;
  std::string target_;
  std::shared_ptr<File> old_;  // locked exclusively until the replacement ends
  std::string bytes_;
  bool committed_ = false;
};

MemoryFileSystem::MemoryFileSystem() = default;
MemoryFileSystem::~MemoryFileSystem() = default;

void MemoryFileSystem::AddFolder(const std::string& path) { folders_.insert(path); }

void MemoryFileSystem::Write(const std::string& path, std::string bytes) {
  auto file = std::make_shared<File>();
  file->bytes = std::move(bytes);
  files_[path] = std::move(file);
}

std::optional<std::string> MemoryFileSystem::Read(const std::string& path) const {
  auto found = files_.find(path);
  if (found == files_.end()) return std::nullopt;
  return found->second->bytes;
}

void MemoryFileSystem::Remove(const std::string& path) { files_.erase(path); }

bool MemoryFileSystem::Exists(const std::string& path) const {
  return files_.count(path) != 0 || folders_.count(path) != 0;
}

std::unique_ptr<platform::InputFile> MemoryFileSystem::OpenInput(const std::string& path,
                                                                 platform::Sharing sharing) {
  auto found = files_.find(path);
  if (found == files_.end() || !found->second->Lock(sharing)) return nullptr;
  return std::make_unique<Input>(found->second, sharing);
}

std::unique_ptr<platform::OutputFile> MemoryFileSystem::BeginReplace(const std::string& path) {
  // A name ending in a slash is a folder's, never a file's.
  if (path.empty() || path.back() == '/' || folders_.count(path) != 0 ||
      folders_.count(FolderOf(path)) == 0) {
    return nullptr;
  }
  std::shared_ptr<File> old;
  auto found = files_.find(path);
  if (found != files_.end()) {
    if (!found->second->Lock(platform::Sharing::kExclusive)) return nullptr;
    old = found->second;
  }
  return std::make_unique<Replacement>(*this, path, std::move(old));
}

std::unique_ptr<platform::RegistryKey> FakePlatform::OpenTemplateKey() {
  if (!keyExists) return nullptr;
  return std::make_unique<FakeKey>(*this);
}

std::unique_ptr<platform::RegistryKey> FakePlatform::CreateTemplateKey() {
  if (!keyCreatable) return nullptr;
  keyExists = true;
  return std::make_unique<FakeKey>(*this);
}

std::optional<std::string> FakePlatform::AskForTemplateFile() {
  ++dialogCalls;
  if (dialogAnswers.empty()) return std::nullopt;
  std::optional<std::string> answer = dialogAnswers.front();
  dialogAnswers.erase(dialogAnswers.begin());
  return answer;
}

bool FakePlatform::PathExists(const std::string& path) {
  if (useMemoryFiles) return memoryFiles.Exists(path);
  struct stat info;
  return ::stat(path.c_str(), &info) == 0;
}

void* FakePlatform::ShowWaitCursor() {
  ++cursorShown;
  return this;
}

void FakePlatform::RestoreCursor(void* previous) {
  if (previous == this) ++cursorRestored;
}

std::unique_ptr<platform::InputFile> FakePlatform::OpenInput(const std::string& path,
                                                             platform::Sharing sharing,
                                                             platform::FileFailure* failure) {
  if (std::find(unopenableInputs.begin(), unopenableInputs.end(), path) != unopenableInputs.end()) {
    return nullptr;
  }
  if (useMemoryFiles) return memoryFiles.OpenInput(path, sharing);
  return platform::DefaultPlatform().OpenInput(path, sharing, failure);
}

std::unique_ptr<platform::OutputFile> FakePlatform::BeginReplace(const std::string& path) {
  if (failBeginReplace) return nullptr;
  auto replacement = useMemoryFiles ? memoryFiles.BeginReplace(path)
                                    : platform::DefaultPlatform().BeginReplace(path);
  if (!replacement) return nullptr;
  return std::make_unique<FailingReplacement>(std::move(replacement), *this);
}

LoadedLibrary::LoadedLibrary(FakePlatform& platform) : loaded_(LoadLibrary(platform)) {}

LoadedLibrary::~LoadedLibrary() { UnloadLibrary(); }

}  // namespace kuv::testing
