// The Win32 side of the tool's output files: a disk file is replaced as a
// document is; a device (NUL, CON) or a pipe is written as a stream.
#include <windows.h>

#include <string>
#include <utility>

#include "platform/explained_replacement.h"
#include "platform/output_file.h"
#include "platform/win32/win32_files.h"
#include "platform/win32/win32_handle.h"

namespace kuv::platform {

namespace {

using win32::Handle;

// The problem and a few words on a system error code for the user's
// message. A missing path here means a missing folder: a missing target
// itself is simply created.
FileFailure Reason(DWORD error) {
  if (error == ERROR_PATH_NOT_FOUND) return {FileProblem::kNotFound, "its folder does not exist"};
  return win32::FailureOf(error);
}

FileFailure ReasonOfLastError() { return Reason(::GetLastError()); }

// A device or pipe, written in place: there is nothing to replace, and
// nothing to make durable (a console refuses FlushFileBuffers).
class StreamFile : public ExplainedOutputFile {
 public:
  explicit StreamFile(Handle handle) : handle_(std::move(handle)) {}
  bool Write(const char* data, std::size_t size) override {
    if (!handle_.valid() || failed()) return false;
    if (!win32::WriteAll(handle_.get(), data, size)) why_ = Reason(::GetLastError());
    return !failed();
  }
  bool Commit() override {
    if (!handle_.valid() || failed()) return false;
    if (!handle_.Reset()) why_ = Reason(::GetLastError());
    return !failed();
  }
  FileFailure WhyFailed() const override { return why_; }

 private:
  bool failed() const { return why_.problem != FileProblem::kNone; }

  Handle handle_;
  FileFailure why_;  // of the first failure
};

}  // namespace

std::unique_ptr<ExplainedOutputFile> BeginOutputFile(const std::string& path, FileFailure* whyNot) {
  if (path.empty()) return Refused(whyNot, {FileProblem::kNotFound, "no file name was given"});
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      return Refused(whyNot, {FileProblem::kIsFolder, "it is a folder"});
    }
    if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) {
      return Refused(whyNot, {FileProblem::kPermissionDenied, "it is read-only"});
    }
  }
  // Opening what exists for writing neither creates nor truncates it, and
  // tells a device or pipe from a disk file.
  Handle existing(::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (existing.valid()) {
    if (::GetFileType(existing.get()) != FILE_TYPE_DISK) {
      return std::make_unique<StreamFile>(std::move(existing));
    }
    existing.Reset();  // the replacement holds the file itself
  } else {
    const DWORD error = ::GetLastError();
    if (error != ERROR_FILE_NOT_FOUND) return Refused(whyNot, Reason(error));
  }
  win32::RemoveAbandonedTemporaries(path);
  std::unique_ptr<OutputFile> file = win32::BeginFileReplacement(path);
  if (!file) return Refused(whyNot, Reason(::GetLastError()));
  return std::make_unique<ExplainedReplacement>(std::move(file), ReasonOfLastError);
}

}  // namespace kuv::platform
