#include "file_output.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include <cstdio>
#include <iostream>
#include <streambuf>
#include <vector>

#include "platform/output_file.h"
#include "tool_error.h"

namespace kuv::tool {

// Hands what the command writes to the output file in large chunks, so
// that no output is ever held in memory whole.
class FileOutput::Buffer : public std::streambuf {
 public:
  explicit Buffer(platform::OutputFile* file) : file_(file), chunk_(kChunkBytes) {
    setp(chunk_.data(), chunk_.data() + chunk_.size());
  }

 protected:
  int_type overflow(int_type c) override {
    if (!Drain()) return traits_type::eof();
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
      *pptr() = traits_type::to_char_type(c);
      pbump(1);
    }
    return traits_type::not_eof(c);
  }
  int sync() override { return Drain() ? 0 : -1; }

 private:
  static constexpr std::size_t kChunkBytes = 64 * 1024;

  bool Drain() {
    const auto size = static_cast<std::size_t>(pptr() - pbase());
    setp(chunk_.data(), chunk_.data() + chunk_.size());
    return size == 0 || file_->Write(chunk_.data(), size);
  }

  platform::OutputFile* file_;
  std::vector<char> chunk_;
};

namespace {

ToolError CannotWrite(const std::string& path, const std::string& why) {
  return DataError("cannot write " + path + (why.empty() ? "" : ": " + why));
}

}  // namespace

FileOutput::FileOutput(const std::string& path) : target_(path), stdout_(std::cout) {
  if (path.empty() || path == "-") {
#ifdef _WIN32
    // Exactly the bytes written: CSV's CRLF must not become CR CR LF.
    std::cout.flush();
    ::_setmode(::_fileno(stdout), _O_BINARY);
#endif
    return;
  }
  std::string whyNot;
  {
    const InterruptsHeld held;
    file_ = platform::BeginOutputFile(path, &whyNot);
    if (file_) temporary_ = std::make_unique<RegisteredTemporary>(file_->TemporaryPath());
  }
  if (!file_) throw CannotWrite(path, whyNot);
  buffer_ = std::make_unique<Buffer>(file_.get());
  fileStream_ = std::make_unique<std::ostream>(buffer_.get());
}

// The stream and its buffer go first, unflushed; then an uncommitted
// replacement removes its temporary file.
FileOutput::~FileOutput() {
  fileStream_.reset();
  buffer_.reset();
  temporary_.reset();
  file_.reset();
}

void FileOutput::Commit() {
  if (!file_) {
    stdout_.flush();
    if (!stdout_) throw DataError("cannot write to standard output");
    return;
  }
  fileStream_->flush();
  if (!*fileStream_ || !file_->Commit()) throw CannotWrite(target_, file_->WhyFailed());
  temporary_->Release();
}

}  // namespace kuv::tool
