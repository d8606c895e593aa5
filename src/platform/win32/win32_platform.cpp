// The Win32 backend of the platform seam.
#include <windows.h>

#include "platform/platform.h"
#include "platform/win32/win32_dialog.h"
#include "platform/win32/win32_files.h"
#include "platform/win32/win32_registry.h"

namespace kuv::platform {

namespace {

// The cursor token when the wait cursor could not be loaded: nothing was
// changed, so nothing is restored.
char g_cursorUnchanged;

class Win32Platform : public Platform {
 public:
  std::unique_ptr<RegistryKey> OpenTemplateKey() override { return win32::OpenTemplateKey(); }
  std::unique_ptr<RegistryKey> CreateTemplateKey() override { return win32::CreateTemplateKey(); }
  std::optional<std::string> AskForTemplateFile() override {
    return win32::AskForTemplateWithOpenDialog();
  }
  bool PathExists(const std::string& path) override {
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
  }
  void* ShowWaitCursor() override {
    HCURSOR wait = ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32514));  // IDC_WAIT
    if (wait == nullptr) return &g_cursorUnchanged;
    return ::SetCursor(wait);
  }
  void RestoreCursor(void* previous) override {
    if (previous == &g_cursorUnchanged) return;
    ::SetCursor(static_cast<HCURSOR>(previous));
  }
  LocalTime CurrentLocalTime() override {
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    return LocalTime{now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute};
  }
  using Platform::OpenInput;
  std::unique_ptr<InputFile> OpenInput(const std::string& path, Sharing sharing,
                                       FileFailure* failure) override {
    return win32::OpenInputFile(path, sharing, failure);
  }
  std::unique_ptr<OutputFile> BeginReplace(const std::string& path) override {
    return win32::BeginFileReplacement(path);
  }
};

}  // namespace

Platform& DefaultPlatform() {
  static Win32Platform platform;
  return platform;
}

}  // namespace kuv::platform
