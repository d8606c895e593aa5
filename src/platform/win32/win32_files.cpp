#include "platform/win32/win32_files.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>

#include "platform/win32/win32_handle.h"

namespace kuv::platform::win32 {

namespace {

// Reading from a console or a pipe could block the host forever, and a
// folder is no document.
bool IsDiskFile(HANDLE handle) {
  if (::GetFileType(handle) != FILE_TYPE_DISK) return false;
  BY_HANDLE_FILE_INFORMATION info;
  return ::GetFileInformationByHandle(handle, &info) != 0 &&
         (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

class Win32InputFile : public InputFile {
 public:
  explicit Win32InputFile(Handle file) : file_(std::move(file)) {}
  long long Read(char* buffer, std::size_t size) override {
    const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
    DWORD got = 0;
    if (!::ReadFile(file_.get(), buffer, wanted, &got, nullptr)) return -1;
    return got;
  }

 private:
  Handle file_;  // closing it ends the share mode
};

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// Everything up to and including the last separator (or a drive's colon),
// so that prefix + name stays beside the target.
std::string FolderPrefixOf(const std::string& path) {
  for (std::size_t i = path.size(); i > 0; --i) {
    if (IsSeparator(path[i - 1])) return path.substr(0, i);
  }
  if (path.size() >= 2 && path[1] == ':') return path.substr(0, 2);
  return std::string();
}

std::string NameOf(const std::string& path) { return path.substr(FolderPrefixOf(path).size()); }

// Beside the target, unique to this process and attempt. The target's name
// is shortened so that the result stays a legal file name.
std::string DefaultTemporaryName(const std::string& target, unsigned attempt) {
  static std::atomic<unsigned> counter{0};
  constexpr std::size_t kKeptNameBytes = 120;
  char suffix[64];
  std::snprintf(suffix, sizeof suffix, ".kuv-%lx-%llx-%u.tmp",
                static_cast<unsigned long>(::GetCurrentProcessId()),
                static_cast<unsigned long long>(::GetTickCount64()) ^
                    (static_cast<unsigned long long>(attempt) << 32),
                counter++);
  return FolderPrefixOf(target) + "~" + NameOf(target).substr(0, kKeptNameBytes) + suffix;
}

class Win32Replacement : public OutputFile {
 public:
  Win32Replacement(std::string target, std::string temporary, Handle out, Handle old)
      : target_(std::move(target)),
        temporary_(std::move(temporary)),
        out_(std::move(out)),
        old_(std::move(old)) {}

  ~Win32Replacement() override {
    if (!committed_) {
      out_.Reset();
      ::DeleteFileA(temporary_.c_str());
    }
  }

  bool Write(const char* data, std::size_t size) override {
    if (failed_ || committed_ || !WriteAll(out_.get(), data, size)) failed_ = true;
    return !failed_;
  }

  bool Commit() override {
    if (failed_ || committed_) return false;
    bool ok = ::FlushFileBuffers(out_.get()) != 0;
    ok = out_.Reset() && ok;
    // The held target must be let go, or it could not be replaced.
    old_.Reset();
    if (!ok || !::MoveFileExA(temporary_.c_str(), target_.c_str(),
                              MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      failed_ = true;
      ::DeleteFileA(temporary_.c_str());
      return false;
    }
    committed_ = true;
    return true;
  }

 private:
  std::string target_;
  std::string temporary_;
  Handle out_;
  Handle old_;  // the file being replaced, shared with nobody meanwhile
  bool failed_ = false;
  bool committed_ = false;
};

}  // namespace

std::unique_ptr<InputFile> OpenInputFile(const std::string& path, Sharing sharing) {
  if (path.empty()) return nullptr;
  const DWORD share = sharing == Sharing::kExclusive ? 0 : FILE_SHARE_READ;
  Handle file(::CreateFileA(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file.valid() || !IsDiskFile(file.get())) return nullptr;
  return std::make_unique<Win32InputFile>(std::move(file));
}

std::unique_ptr<OutputFile> BeginFileReplacement(const std::string& path) {
  return BeginFileReplacement(path, DefaultTemporaryName);
}

std::unique_ptr<OutputFile> BeginFileReplacement(const std::string& path,
                                                 TemporaryNamer temporaryName) {
  if (path.empty()) return nullptr;
  // An existing target must be a disk file that we may write and that no
  // one else has open, as a truncating exclusive open would demand; opening
  // it for writing proves that without touching its bytes.
  Handle old(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr));
  if (old.valid()) {
    if (!IsDiskFile(old.get())) return nullptr;
  } else if (::GetLastError() != ERROR_FILE_NOT_FOUND) {
    return nullptr;  // missing folder, no access, held elsewhere, a folder
  }

  for (unsigned attempt = 0; attempt < 100; ++attempt) {
    const std::string temporary = temporaryName(path, attempt);
    Handle out(::CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!out.valid()) {
      const DWORD error = ::GetLastError();
      if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) continue;
      return nullptr;
    }
    return std::make_unique<Win32Replacement>(path, temporary, std::move(out), std::move(old));
  }
  return nullptr;
}

}  // namespace kuv::platform::win32
