#include "file_output.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include <cstdio>
#include <iostream>
#include <optional>

#include "chunk_buffer.h"
#include "kuv/output_file.hpp"
#include "standard_output.h"
#include "tool_error.h"

namespace kuv::tool {

// Hands what the command writes to the output file in large chunks, so
// that no output is ever held in memory whole, and keeps the first
// failure, which the stream cannot carry, for Commit to report.
class FileOutput::Buffer : public ChunkBuffer {
 public:
  explicit Buffer(OutputFile* file)
      : ChunkBuffer([this, file](const char* data, std::size_t size) {
          try {
            file->Write(data, size);
            return true;
          } catch (const Error& error) {
            if (!failure_) failure_ = error;
            return false;
          }
        }) {}

  const std::optional<Error>& failure() const { return failure_; }

 private:
  std::optional<Error> failure_;
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
