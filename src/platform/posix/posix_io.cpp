#include "platform/posix/posix_io.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <system_error>
#include <vector>

#include "platform/posix/posix_descriptor.h"

namespace kuv::platform::posix {

namespace {

bool LockRetrying(int fd, int operation) {
  int result;
  do {
    result = ::flock(fd, operation | LOCK_NB);
  } while (result != 0 && errno == EINTR);
  return result == 0;
}

class PosixInputFile : public InputFile {
 public:
  explicit PosixInputFile(Descriptor fd) : fd_(std::move(fd)) {}
  long long Read(char* buffer, std::size_t size) override {
    for (;;) {
      ssize_t got = ::read(fd_.get(), buffer, size);
      if (got >= 0) return got;
      if (errno != EINTR) return -1;
    }
  }

 private:
  Descriptor fd_;  // closing it releases the lock
};

std::string FolderOf(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Follows symbolic links, so that a link's target is what gets replaced.
bool ResolveLinks(std::string path, std::string* resolved) {
  for (int hops = 0; hops < 40; ++hops) {
    struct stat info;
    if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
      *resolved = path;
      return true;
    }
    std::string target(static_cast<std::size_t>(info.st_size > 0 ? info.st_size : 256) + 1, '\0');
    ssize_t length = ::readlink(path.c_str(), target.data(), target.size());
    if (length < 0) return false;
    if (static_cast<std::size_t>(length) >= target.size()) {  // grew meanwhile
      errno = ENAMETOOLONG;
      return false;
    }
    target.resize(static_cast<std::size_t>(length));
    path = (!target.empty() && target[0] == '/') ? target : FolderOf(path) + "/" + target;
  }
  errno = ELOOP;  // a loop of links
  return false;
}

class PosixReplacement : public OutputFile {
 public:
  PosixReplacement(std::string target, std::string temporary, Descriptor out, Descriptor old)
      : target_(std::move(target)),
        temporary_(std::move(temporary)),
        out_(std::move(out)),
        old_(std::move(old)) {}

  ~PosixReplacement() override {
    if (!committed_) {
      out_.Reset();
      ::unlink(temporary_.c_str());
    }
  }

  bool Write(const char* data, std::size_t size) override {
    if (failed_ || committed_ || !WriteAll(out_.get(), data, size)) failed_ = true;
    durable_ = false;
    if (failed_) return false;
    StartWriteback(size);
    return true;
  }

  bool MakeDurable() override {
    if (failed_ || committed_) return false;
    if (!durable_ && ::fsync(out_.get()) != 0) failed_ = true;
    durable_ = !failed_;
    return durable_;
  }

  bool Commit() override {
    if (failed_ || committed_) return false;
    int fd = out_.Release();
    bool ok = durable_ || ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (!ok || ::rename(temporary_.c_str(), target_.c_str()) != 0) {
      failed_ = true;
      return false;
    }
    committed_ = true;
    Descriptor folder(OpenRetrying(FolderOf(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.valid()) ::fsync(folder.get());  // makes the rename durable
    old_.Reset();
    return true;
  }

  std::string TemporaryPath() const override { return committed_ ? std::string() : temporary_; }

 private:
  // Sends what was just written towards the disk without waiting, so that
  // the fsync at the end finds little left to do. Only a hint: where the
  // system has no such call, or refuses it, the fsync does it all.
  void StartWriteback(std::size_t size) {
#ifdef __linux__
    ::sync_file_range(out_.get(), static_cast<off_t>(written_), static_cast<off_t>(size),
                      SYNC_FILE_RANGE_WRITE);
#endif
    written_ += size;
  }

  std::string target_;
  std::string temporary_;
  Descriptor out_;
  std::uint64_t written_ = 0;
  Descriptor old_;  // the replaced file, locked while we work
  bool failed_ = false;
  bool committed_ = false;
  bool durable_ = false;  // nothing was written since the last fsync
};

// The temporaries of a target are hidden beside it and named
// ".NAME.kuv-PID-TICKS-COUNT": unique to the process and attempt, and
// telling which process made them, so that the leftovers of one that is
// gone can be found. The target's name is shortened so that the result
// stays a legal file name.
std::string TemporaryPrefix(const std::string& target) {
  constexpr std::size_t kKeptNameBytes = 120;
  return "." + NameOf(target).substr(0, kKeptNameBytes) + ".kuv-";
}

std::string DefaultTemporaryName(const std::string& target, unsigned attempt) {
  static std::atomic<unsigned> counter{0};
  const auto ticks =
      static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count());
  char suffix[64];
  std::snprintf(suffix, sizeof suffix, "%d-%llx-%u", static_cast<int>(::getpid()),
                ticks ^ (static_cast<unsigned long long>(attempt) << 32), counter++);
  return FolderOf(target) + "/" + TemporaryPrefix(target) + suffix;
}

// The process ID in the rest of a temporary's name ("PID-TICKS-COUNT"),
// or 0 when the rest is not of that shape.
pid_t ProcessOfTemporary(const std::string& rest) {
  std::size_t i = 0;
  long long pid = 0;
  const auto digits = [&](bool hex) {
    const std::size_t start = i;
    while (i < rest.size() && (std::isdigit(static_cast<unsigned char>(rest[i])) ||
                               (hex && std::isxdigit(static_cast<unsigned char>(rest[i]))))) {
      ++i;
    }
    return i > start && i - start <= 20;
  };
  if (!digits(false) || i > 10) return 0;
  for (std::size_t k = 0; k < i; ++k) pid = pid * 10 + (rest[k] - '0');
  if (i == rest.size() || rest[i++] != '-' || !digits(true)) return 0;
  if (i == rest.size() || rest[i++] != '-' || !digits(false) || i != rest.size()) return 0;
  if (pid <= 0 || pid > INT_MAX) return 0;
  return static_cast<pid_t>(pid);
}

bool ProcessIsGone(pid_t pid) { return ::kill(pid, 0) != 0 && errno == ESRCH; }

// Removes the file at path if it is a regular file that no one holds
// locked: a replacement holds its temporary locked while it writes.
void RemoveIfUnheld(const std::string& path) {
  Descriptor fd(OpenRetrying(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  struct stat info;
  if (!fd.valid() || ::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) return;
  if (LockRetrying(fd.get(), LOCK_EX)) ::unlink(path.c_str());
}

}  // namespace

FileFailure FailureOf(int error) {
  if (error == EWOULDBLOCK || error == EAGAIN) {
    return {FileProblem::kInUse, "another program is using it"};
  }
  switch (error) {
    case ENOENT:
      return {FileProblem::kNotFound, std::generic_category().message(error)};
    case ENOTDIR:
      return {FileProblem::kNotFound, "a part of its path is not a folder"};
    case EISDIR:
      return {FileProblem::kIsFolder, std::generic_category().message(error)};
    case EACCES:
    case EPERM:
    case EROFS:
      return {FileProblem::kPermissionDenied, std::generic_category().message(error)};
    default:
      return {FileProblem::kOther, std::generic_category().message(error)};
  }
}

namespace {

std::unique_ptr<InputFile> Unopened(FileFailure* failure, FileFailure why) {
  if (failure != nullptr) *failure = std::move(why);
  return nullptr;
}

}  // namespace

std::unique_ptr<InputFile> OpenInputFile(const std::string& path, Sharing sharing,
                                         FileFailure* failure) {
  // Opened without blocking, so that a FIFO or device can't hang the host;
  // only regular files are documents.
  Descriptor fd(OpenRetrying(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (!fd.valid()) return Unopened(failure, FailureOf(path.empty() ? ENOENT : errno));
  struct stat info;
  if (::fstat(fd.get(), &info) != 0) return Unopened(failure, FailureOf(errno));
  if (S_ISDIR(info.st_mode)) return Unopened(failure, FailureOf(EISDIR));
  if (!S_ISREG(info.st_mode)) {
    return Unopened(failure, {FileProblem::kNotAFile, "it is a device or pipe, not a file"});
  }
  const int flags = ::fcntl(fd.get(), F_GETFL);
  if (flags < 0 || ::fcntl(fd.get(), F_SETFL, flags & ~O_NONBLOCK) != 0) {
    return Unopened(failure, FailureOf(errno));
  }
  if (!LockRetrying(fd.get(), sharing == Sharing::kExclusive ? LOCK_EX : LOCK_SH)) {
    return Unopened(failure, FailureOf(errno));
  }
  return std::make_unique<PosixInputFile>(std::move(fd));
}

void RemoveAbandonedTemporaries(const std::string& path) {
  std::string target;
  if (path.empty() || !ResolveLinks(path, &target)) return;
  const std::string folder = FolderOf(target);
  const std::string prefix = TemporaryPrefix(target);
  DIR* entries = ::opendir(folder.c_str());
  if (entries == nullptr) return;
  std::vector<std::string> abandoned;
  while (const struct dirent* entry = ::readdir(entries)) {
    const std::string name = entry->d_name;
    if (name.compare(0, prefix.size(), prefix) != 0) continue;
    const pid_t pid = ProcessOfTemporary(name.substr(prefix.size()));
    if (pid != 0 && pid != ::getpid() && ProcessIsGone(pid)) abandoned.push_back(name);
  }
  ::closedir(entries);
  for (const std::string& name : abandoned) RemoveIfUnheld(folder + "/" + name);
}

std::unique_ptr<OutputFile> BeginFileReplacement(const std::string& path) {
  return BeginFileReplacement(path, DefaultTemporaryName);
}

std::unique_ptr<OutputFile> BeginFileReplacement(const std::string& path,
                                                 TemporaryNamer temporaryName) {
  if (path.empty()) {
    errno = ENOENT;
    return nullptr;
  }
  std::string target;
  if (!ResolveLinks(path, &target)) return nullptr;

  // An existing target must be a regular file that we may write, as a
  // truncating open would demand; opening it for writing proves that
  // without touching it. O_NONBLOCK keeps a FIFO from hanging the open.
  // The file stays locked while it is replaced.
  Descriptor old(OpenRetrying(target.c_str(), O_WRONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC));
  struct stat oldInfo;
  bool exists = false;
  if (old.valid()) {
    if (::fstat(old.get(), &oldInfo) != 0) return nullptr;
    if (!S_ISREG(oldInfo.st_mode)) {
      errno = EINVAL;
      return nullptr;
    }
    // A file that nobody may write is read-only for the superuser too,
    // whom the open lets through: as a file with the read-only attribute
    // is on Windows.
    if ((oldInfo.st_mode & 0222) == 0) {
      errno = EACCES;
      return nullptr;
    }
    if (!LockRetrying(old.get(), LOCK_EX)) return nullptr;
    exists = true;
  } else if (errno != ENOENT) {
    return nullptr;
  }

  for (unsigned attempt = 0; attempt < 100; ++attempt) {
    std::string temporary = temporaryName(target, attempt);
    // Exclusive creation never follows a link planted under this name.
    // Replacing a file: private until it has the old file's owner and bits.
    const mode_t createMode = exists ? 0600 : 0666;
    Descriptor out(OpenRetrying(temporary.c_str(),
                                O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, createMode));
    if (!out.valid()) {
      if (errno == EEXIST) continue;
      return nullptr;
    }
    if (exists) {
      // Owner first: changing it may clear set-id bits that fchmod sets.
      if (oldInfo.st_uid != ::geteuid() || oldInfo.st_gid != ::getegid()) {
        (void)!::fchown(out.get(), oldInfo.st_uid, oldInfo.st_gid);  // best effort
      }
      if (::fchmod(out.get(), oldInfo.st_mode & 07777) != 0) {
        const int why = errno;
        out.Reset();
        ::unlink(temporary.c_str());
        errno = why;
        return nullptr;
      }
    }
    LockRetrying(out.get(), LOCK_EX);
    return std::make_unique<PosixReplacement>(target, temporary, std::move(out), std::move(old));
  }
  return nullptr;
}

bool ReadWholeFile(const std::string& path, std::string* bytes) {
  Descriptor fd(OpenRetrying(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd.valid()) return false;
  bytes->clear();
  char buffer[4096];
  for (;;) {
    ssize_t got = ::read(fd.get(), buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return false;
    if (got == 0) return true;
    bytes->append(buffer, static_cast<std::size_t>(got));
  }
}

bool WriteFileAtomically(const std::string& path, const std::string& bytes) {
  std::unique_ptr<OutputFile> out = BeginFileReplacement(path);
  return out && out->Write(bytes.data(), bytes.size()) && out->Commit();
}

}  // namespace kuv::platform::posix
