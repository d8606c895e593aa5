#include "platform/win32/win32_files.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdio>
#include <string>
#include <vector>

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

// The temporaries of a target are written beside it and named
// "~NAME.kuv-PID-TICKS-COUNT.tmp" (the numbers in hexadecimal but the
// count): unique to the process and attempt, and telling which process
// made them, so that the leftovers of one that is gone can be found. The
// target's name is shortened so that the result stays a legal file name.
constexpr char kTemporaryEnd[] = ".tmp";

std::string TemporaryPrefix(const std::string& target) {
  constexpr std::size_t kKeptNameBytes = 120;
  return "~" + NameOf(target).substr(0, kKeptNameBytes) + ".kuv-";
}

std::string DefaultTemporaryName(const std::string& target, unsigned attempt) {
  static std::atomic<unsigned> counter{0};
  char suffix[64];
  std::snprintf(suffix, sizeof suffix, "%lx-%llx-%u%s",
                static_cast<unsigned long>(::GetCurrentProcessId()),
                static_cast<unsigned long long>(::GetTickCount64()) ^
                    (static_cast<unsigned long long>(attempt) << 32),
                counter++, kTemporaryEnd);
  return FolderPrefixOf(target) + TemporaryPrefix(target) + suffix;
}

// The process ID in the rest of a temporary's name ("PID-TICKS-COUNT.tmp"),
// or 0 when the rest is not of that shape.
DWORD ProcessOfTemporary(std::string rest) {
  const std::size_t endSize = sizeof kTemporaryEnd - 1;
  if (rest.size() <= endSize || rest.compare(rest.size() - endSize, endSize, kTemporaryEnd) != 0) {
    return 0;
  }
  rest.resize(rest.size() - endSize);
  std::size_t i = 0;
  const auto digits = [&](bool hex) {
    const std::size_t start = i;
    while (i < rest.size() && (std::isdigit(static_cast<unsigned char>(rest[i])) ||
                               (hex && std::isxdigit(static_cast<unsigned char>(rest[i]))))) {
      ++i;
    }
    return i > start && i - start <= 16;
  };
  if (!digits(true) || i > 8) return 0;
  const DWORD pid = static_cast<DWORD>(std::stoul(rest.substr(0, i), nullptr, 16));
  if (i == rest.size() || rest[i++] != '-' || !digits(true)) return 0;
  if (i == rest.size() || rest[i++] != '-' || !digits(false) || i != rest.size()) return 0;
  return pid;
}

bool ProcessIsGone(DWORD pid) {
  HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  if (process == nullptr) return ::GetLastError() == ERROR_INVALID_PARAMETER;
  DWORD status = 0;
  const bool ended = ::GetExitCodeProcess(process, &status) != 0 && status != STILL_ACTIVE;
  ::CloseHandle(process);
  return ended;
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
    durable_ = false;
    return !failed_;
  }

  bool MakeDurable() override {
    if (failed_ || committed_) return false;
    if (!durable_ && !::FlushFileBuffers(out_.get())) failed_ = true;
    durable_ = !failed_;
    return durable_;
  }

  bool Commit() override {
    if (failed_ || committed_) return false;
    bool ok = durable_ || ::FlushFileBuffers(out_.get()) != 0;
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

  std::string TemporaryPath() const override { return committed_ ? std::string() : temporary_; }

 private:
  std::string target_;
  std::string temporary_;
  Handle out_;
  Handle old_;  // the file being replaced, shared with nobody meanwhile
  bool failed_ = false;
  bool committed_ = false;
  bool durable_ = false;  // nothing was written since the last flush
};

}  // namespace

std::string SystemMessage(DWORD error) {
  char text[512];
  DWORD length = ::FormatMessageA(
      FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_MAX_WIDTH_MASK,
      nullptr, error, 0, text, sizeof text, nullptr);
  while (length > 0 && (text[length - 1] == ' ' || text[length - 1] == '.' ||
                        text[length - 1] == '\r' || text[length - 1] == '\n')) {
    --length;
  }
  if (length == 0) return "system error " + std::to_string(error);
  return std::string(text, length);
}

FileFailure FailureOf(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
      return {FileProblem::kNotFound, SystemMessage(error)};
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
      return {FileProblem::kPermissionDenied, SystemMessage(error)};
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return {FileProblem::kInUse, "another program is using it"};
    default:
      return {FileProblem::kOther, SystemMessage(error)};
  }
}

namespace {

std::unique_ptr<InputFile> Unopened(FileFailure* failure, FileFailure why) {
  if (failure != nullptr) *failure = std::move(why);
  return nullptr;
}

bool IsFolder(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

std::unique_ptr<InputFile> OpenInputFile(const std::string& path, Sharing sharing,
                                         FileFailure* failure) {
  if (path.empty()) return Unopened(failure, FailureOf(ERROR_FILE_NOT_FOUND));
  const DWORD share = sharing == Sharing::kExclusive ? 0 : FILE_SHARE_READ;
  Handle file(::CreateFileA(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file.valid()) {
    const DWORD error = ::GetLastError();
    // Opening a folder as a file is denied access.
    if (IsFolder(path)) return Unopened(failure, {FileProblem::kIsFolder, "it is a folder"});
    return Unopened(failure, FailureOf(error));
  }
  if (!IsDiskFile(file.get())) {
    if (IsFolder(path)) return Unopened(failure, {FileProblem::kIsFolder, "it is a folder"});
    return Unopened(failure, {FileProblem::kNotAFile, "it is a device or pipe, not a file"});
  }
  return std::make_unique<Win32InputFile>(std::move(file));
}

void RemoveAbandonedTemporaries(const std::string& path) {
  if (path.empty()) return;
  const std::string folder = FolderPrefixOf(path);
  const std::string prefix = TemporaryPrefix(path);
  WIN32_FIND_DATAA found;
  HANDLE search = ::FindFirstFileA((folder + prefix + "*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  std::vector<std::string> abandoned;
  do {
    const std::string name = found.cFileName;
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ||
        name.compare(0, prefix.size(), prefix) != 0) {
      continue;
    }
    const DWORD pid = ProcessOfTemporary(name.substr(prefix.size()));
    if (pid != 0 && pid != ::GetCurrentProcessId() && ProcessIsGone(pid)) {
      abandoned.push_back(name);
    }
  } while (::FindNextFileA(search, &found));
  ::FindClose(search);
  // A temporary still open in a live replacement cannot be deleted.
  for (const std::string& name : abandoned) ::DeleteFileA((folder + name).c_str());
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
