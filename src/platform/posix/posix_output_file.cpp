// The POSIX side of the tool's output files: a file is replaced as a
// document is, a character device or a pipe is written as a stream.
#include <sys/stat.h>

#include <cerrno>
#include <system_error>
#include <utility>

#include "platform/explained_replacement.h"
#include "platform/output_file.h"
#include "platform/posix/posix_descriptor.h"
#include "platform/posix/posix_io.h"

namespace kuv::platform {

namespace {

using posix::Descriptor;

// The problem and a few words on errno for the user's message. ENOENT
// here means a folder on the way is missing: a missing target itself is
// simply created.
FileFailure Reason(int error) {
  if (error == ENOENT) return {FileProblem::kNotFound, "its folder does not exist"};
  return posix::FailureOf(error);
}

FileFailure ReasonOfErrno() { return Reason(errno); }

// A device or pipe, written in place: there is nothing to replace, and
// nothing to make durable.
class StreamFile : public ExplainedOutputFile {
 public:
  explicit StreamFile(Descriptor fd) : fd_(std::move(fd)) {}
  bool Write(const char* data, std::size_t size) override {
    if (!fd_.valid() || failed()) return false;
    if (!posix::WriteAll(fd_.get(), data, size)) why_ = Reason(errno);
    return !failed();
  }
  bool Commit() override {
    if (!fd_.valid() || failed()) return false;
    if (::close(fd_.Release()) != 0 && errno != EINTR) why_ = Reason(errno);
    return !failed();
  }
  FileFailure WhyFailed() const override { return why_; }

 private:
  bool failed() const { return why_.problem != FileProblem::kNone; }

  Descriptor fd_;
  FileFailure why_;  // of the first failure
};

bool IsStream(mode_t mode) { return S_ISCHR(mode) || S_ISFIFO(mode) || S_ISSOCK(mode); }

// Opened as it is: never created or truncated. The open follows links, so
// that /dev/stdout reaches whatever standard output is. A named pipe's
// open waits for a reader, as any writer to it does.
std::unique_ptr<ExplainedOutputFile> OpenStream(const std::string& path, mode_t mode,
                                                FileFailure* whyNot) {
  Descriptor fd(posix::OpenRetrying(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC));
  if (!fd.valid()) {
    if (S_ISSOCK(mode) && errno == ENXIO)
      return Refused(whyNot, {FileProblem::kNotAFile, "it is a socket"});
    return Refused(whyNot, Reason(errno));
  }
  // What was opened may not be what was looked at: never write into a
  // file that took the stream's place.
  struct stat opened;
  if (::fstat(fd.get(), &opened) != 0) return Refused(whyNot, Reason(errno));
  if (!IsStream(opened.st_mode))
    return Refused(whyNot, {FileProblem::kOther, "it changed while it was opened"});
  return std::make_unique<StreamFile>(std::move(fd));
}

}  // namespace

std::unique_ptr<ExplainedOutputFile> BeginOutputFile(const std::string& path, FileFailure* whyNot) {
  if (path.empty()) return Refused(whyNot, {FileProblem::kNotFound, "no file name was given"});
  // stat follows every link to what the path finally names.
  struct stat info;
  if (::stat(path.c_str(), &info) != 0) {
    if (errno != ENOENT) return Refused(whyNot, Reason(errno));
  } else if (S_ISDIR(info.st_mode)) {
    return Refused(whyNot, {FileProblem::kIsFolder, "it is a folder"});
  } else if (IsStream(info.st_mode)) {
    return OpenStream(path, info.st_mode, whyNot);
  } else if (!S_ISREG(info.st_mode)) {
    return Refused(whyNot, {FileProblem::kNotAFile, "it is neither a file nor a stream"});
  } else if ((info.st_mode & 0222) == 0) {
    return Refused(whyNot, {FileProblem::kPermissionDenied, "it is read-only"});
  }
  posix::RemoveAbandonedTemporaries(path);
  std::unique_ptr<OutputFile> file = posix::BeginFileReplacement(path);
  if (!file) return Refused(whyNot, Reason(errno));
  return std::make_unique<ExplainedReplacement>(std::move(file), ReasonOfErrno);
}

}  // namespace kuv::platform
