#include "standard_output.h"

#include <cerrno>
#include <iostream>
#include <streambuf>
#include <system_error>
#include <vector>

namespace kuv::tool {

namespace {

// Stands between std::cout and the buffer it had, collecting what is
// written in large pieces and noting errno when the buffer below fails.
class ReasonKeepingBuffer : public std::streambuf {
 public:
  explicit ReasonKeepingBuffer(std::streambuf* below) : below_(below), chunk_(kChunkBytes) {
    setp(chunk_.data(), chunk_.data() + chunk_.size());
  }

  const std::string& reason() const { return reason_; }

 protected:
  int_type overflow(int_type c) override {
    if (!Drain()) return traits_type::eof();
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
      *pptr() = traits_type::to_char_type(c);
      pbump(1);
    }
    return traits_type::not_eof(c);
  }
  int sync() override {
    if (!Drain()) return -1;
    errno = 0;
    if (below_->pubsync() == 0) return 0;
    NoteFailure();
    return -1;
  }

 private:
  static constexpr std::size_t kChunkBytes = 64 * 1024;

  bool Drain() {
    const std::streamsize size = pptr() - pbase();
    setp(chunk_.data(), chunk_.data() + chunk_.size());
    if (size == 0) return !failed_;
    errno = 0;
    if (below_->sputn(chunk_.data(), size) != size) NoteFailure();
    return !failed_;
  }

  void NoteFailure() {
    if (!failed_ && errno != 0) reason_ = std::generic_category().message(errno);
    failed_ = true;
  }

  std::streambuf* below_;
  std::vector<char> chunk_;
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
