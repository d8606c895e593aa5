#include "standard_output.h"

#include <cerrno>
#include <iostream>
#include <streambuf>
#include <string>
#include <system_error>

#include "chunk_buffer.h"

namespace kuv::tool {

namespace {

// Stands between std::cout and the buffer it had, handing it what is
// written in large pieces and noting errno when it fails.
class ReasonKeepingBuffer : public ChunkBuffer {
 public:
  explicit ReasonKeepingBuffer(std::streambuf* below)
      : ChunkBuffer(
            [this, below](const char* data, std::size_t size) {
              errno = 0;
              const auto wanted = static_cast<std::streamsize>(size);
              return Noted(below->sputn(data, wanted) == wanted);
            },
            [this, below] {
              errno = 0;
              return Noted(below->pubsync() == 0);
            }) {}

  const std::string& reason() const { return reason_; }

 private:
  bool Noted(bool ok) {
    if (!ok && !failed_ && errno != 0) reason_ = std::generic_category().message(errno);
    failed_ = failed_ || !ok;
    return !failed_;
  }

  bool failed_ = false;
  std::string reason_;  // of the first failure, when the system gave one
};

ReasonKeepingBuffer* installed = nullptr;

}  // namespace

void KeepStandardOutputReason() {
  if (installed != nullptr) return;
  // Never destroyed: std::cout is flushed through it as the program ends.
  installed = new ReasonKeepingBuffer(std::cout.rdbuf());
  std::cout.rdbuf(installed);
}

std::string StandardOutputFailure() {
  std::string message = "cannot write to standard output";
  if (installed != nullptr && !installed->reason().empty()) message += ": " + installed->reason();
  return message;
}

}  // namespace kuv::tool
