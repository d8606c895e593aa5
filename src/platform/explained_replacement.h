// What the POSIX and Win32 output files of the tool share: a file replaced
// as a document is, which remembers why it first failed, and the refusal
// that names why an output cannot begin. The systems differ only in where
// the reason comes from (errno, GetLastError), which each passes in.
#ifndef KUV_PLATFORM_EXPLAINED_REPLACEMENT_H_
#define KUV_PLATFORM_EXPLAINED_REPLACEMENT_H_

#include <memory>
#include <string>
#include <utility>

#include "platform/output_file.h"

namespace kuv::platform {

inline std::unique_ptr<ExplainedOutputFile> Refused(FileFailure* whyNot, FileFailure why) {
  if (whyNot != nullptr) *whyNot = std::move(why);
  return nullptr;
}

// A file replaced through a temporary beside it; right after a failure,
// lastFailure gives the system's reason for it.
class ExplainedReplacement : public ExplainedOutputFile {
 public:
  using LastFailure = FileFailure (*)();

  ExplainedReplacement(std::unique_ptr<OutputFile> file, LastFailure lastFailure)
      : file_(std::move(file)), lastFailure_(lastFailure) {}
  bool Write(const char* data, std::size_t size) override {
    return Noted(file_->Write(data, size));
  }
  bool MakeDurable() override { return Noted(file_->MakeDurable()); }
  bool Commit() override { return Noted(file_->Commit()); }
  FileFailure WhyFailed() const override { return why_; }
  std::string TemporaryPath() const override { return file_->TemporaryPath(); }

 private:
  bool Noted(bool ok) {
    if (!ok && why_.problem == FileProblem::kNone) why_ = lastFailure_();
    return ok;
  }

  std::unique_ptr<OutputFile> file_;
  LastFailure lastFailure_;
  FileFailure why_;  // of the first failure
};

}  // namespace kuv::platform

#endif  // KUV_PLATFORM_EXPLAINED_REPLACEMENT_H_
