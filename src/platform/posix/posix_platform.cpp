// The POSIX backend of the platform seam.
#include <sys/stat.h>

#include <ctime>

#include "platform/platform.h"
#include "platform/posix/posix_dialog.h"
#include "platform/posix/posix_io.h"
#include "platform/posix/posix_registry.h"

namespace kuv::platform {

namespace {

class PosixPlatform : public Platform {
 public:
  std::unique_ptr<RegistryKey> OpenTemplateKey() override {
    return posix::OpenKeyFolder(posix::TemplateKeyFolder());
  }
  std::unique_ptr<RegistryKey> CreateTemplateKey() override {
    return posix::CreateKeyFolder(posix::TemplateKeyFolder());
  }
  std::optional<std::string> AskForTemplateFile() override {
    return posix::AskForTemplateWithZenity();
  }
  bool PathExists(const std::string& path) override {
    struct stat info;
    return ::stat(path.c_str(), &info) == 0;
  }
  // A terminal host has no mouse cursor to change.
  void* ShowWaitCursor() override { return nullptr; }
  void RestoreCursor(void*) override {}
  LocalTime CurrentLocalTime() override {
    std::time_t now = std::time(nullptr);
    std::tm parts{};
    ::localtime_r(&now, &parts);
    return LocalTime{parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday, parts.tm_hour,
                     parts.tm_min};
  }
  using Platform::OpenInput;
  std::unique_ptr<InputFile> OpenInput(const std::string& path, Sharing sharing,
                                       FileFailure* failure) override {
    return posix::OpenInputFile(path, sharing, failure);
  }
  std::unique_ptr<OutputFile> BeginReplace(const std::string& path) override {
    return posix::BeginFileReplacement(path);
  }
};

}  // namespace

Platform& DefaultPlatform() {
  static PosixPlatform platform;
  return platform;
}

}  // namespace kuv::platform
