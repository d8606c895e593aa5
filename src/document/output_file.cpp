// The document API's output files, over the platform's.
#include "kuv/output_file.hpp"

#include <memory>
#include <stdexcept>
#include <string>
#include <utility>

#include "document/file_failure.h"
#include "platform/output_file.h"

namespace kuv {

class OutputFile::Impl {
 public:
  explicit Impl(std::string path) : path_(std::move(path)) {
    platform::FileFailure whyNot;
    file_ = platform::BeginOutputFile(path_, &whyNot);
    if (!file_) throw document::FileError(ErrorCode::kOpenForSave, path_, whyNot);
  }

  void Write(const char* data, std::size_t size) {
    if (committed_) throw std::logic_error("kuv: " + path_ + " was committed already");
    if (!file_->Write(data, size)) Fail();
  }
  void Commit() {
    if (committed_) return;
    if (!file_->Commit()) Fail();
    committed_ = true;
  }
  const std::string& path() const { return path_; }
  std::string temporary_path() const { return file_->TemporaryPath(); }

 private:
  [[noreturn]] void Fail() const {
    throw document::FileError(ErrorCode::kOpenForSave, path_, file_->WhyFailed());
  }

  std::string path_;
  std::unique_ptr<platform::ExplainedOutputFile> file_;
  bool committed_ = false;
};

OutputFile::Impl& OutputFile::live() const {
  if (!impl_) throw std::logic_error("kuv: an output file was used after it was moved away");
  return *impl_;
}

OutputFile::OutputFile(const std::string& path) : impl_(std::make_unique<Impl>(path)) {}
OutputFile::~OutputFile() = default;
OutputFile::OutputFile(OutputFile&& other) noexcept = default;
OutputFile& OutputFile::operator=(OutputFile&& other) noexcept = default;

void OutputFile::Write(const char* data, std::size_t size) { live().Write(data, size); }
void OutputFile::Commit() { live().Commit(); }
const std::string& OutputFile::path() const { return live().path(); }
std::string OutputFile::temporary_path() const { return live().temporary_path(); }

}  // namespace kuv
