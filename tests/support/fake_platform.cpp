#include "support/fake_platform.h"

#include <sys/stat.h>

#include <algorithm>

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
  FailingReplacement(std::unique_ptr<platform::OutputFile> real, FakePlatform& owner)
      : real_(std::move(real)), owner_(owner) {}
  bool Write(const char* data, std::size_t size) override {
    if (owner_.failWriteAfterBytes && written_ + size > *owner_.failWriteAfterBytes) {
      std::size_t part = *owner_.failWriteAfterBytes - written_;
      real_->Write(data, part);  // a write that fails part way
      written_ += part;
      return false;
    }
    written_ += size;
    return real_->Write(data, size);
  }
  bool Commit() override { return !owner_.failCommit && real_->Commit(); }

 private:
  std::unique_ptr<platform::OutputFile> real_;
  FakePlatform& owner_;
  std::size_t written_ = 0;
};

}  // namespace

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
                                                             platform::Sharing sharing) {
  if (std::find(unopenableInputs.begin(), unopenableInputs.end(), path) !=
      unopenableInputs.end()) {
    return nullptr;
  }
  return platform::DefaultPlatform().OpenInput(path, sharing);
}

std::unique_ptr<platform::OutputFile> FakePlatform::BeginReplace(const std::string& path) {
  if (failBeginReplace) return nullptr;
  auto real = platform::DefaultPlatform().BeginReplace(path);
  if (!real) return nullptr;
  return std::make_unique<FailingReplacement>(std::move(real), *this);
}

LoadedLibrary::LoadedLibrary(FakePlatform& platform) : loaded_(LoadLibrary(platform)) {}

LoadedLibrary::~LoadedLibrary() { UnloadLibrary(); }

}  // namespace kuv::testing
