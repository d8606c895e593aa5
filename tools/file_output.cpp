#include "file_output.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include <cstdio>
#include <iostream>
#include <optional>
#include <streambuf>
#include <vector>

#include "kuv/output_file.hpp"
#include "standard_output.h"
#include "tool_error.h"

namespace kuv::tool {

// Hands what the command writes to the output file in large chunks, so
// that no output is ever held in memory whole.
class FileOutput::Buffer : public std::streambuf {
 public:
  explicit Buffer(OutputFile* file) : file_(file), chunk_(kChunkBytes) {
    setp(chunk_.data(), chunk_.data() + chunk_.size());
  }

  // The first failure, which the stream cannot carry, for Commit to report.
  const std::optional<Error>& failure() const { return failure_; }

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
    if (size == 0) return true;
    try {
      file_->Write(chunk_.data(), size);
      return true;
    } catch (const Error& error) {
      if (!failure_) failure_ = error;
      return false;
    }
  }

  OutputFile* file_;
  std::optional<Error> failure_;
  std::vector<char> chunk_;
};

namespace {

ToolError CannotWrite(const std::string& path, const Error& error) {
  return DataError("cannot write " + path + (error.reason().empty() ? "" : ": " + error.reason()));
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
  try {
    const InterruptsHeld held;
    file_ = std::make_unique<OutputFile>(path);
    temporary_ = std::make_unique<RegisteredTemporary>(file_->temporary_path());
  } catch (const Error& error) {
    throw CannotWrite(path, error);
  }
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
    if (!stdout_) throw DataError(StandardOutputFailure());
    return;
  }
  fileStream_->flush();
  if (buffer_->failure()) throw CannotWrite(target_, *buffer_->failure());
  if (!*fileStream_) throw DataError("cannot write " + target_);
  try {
    file_->Commit();
  } catch (const Error& error) {
    throw CannotWrite(target_, error);
  }
  temporary_->Release();
}

}  // namespace kuv::tool
