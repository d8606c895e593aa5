// In-memory input and output files for the harnesses. The input hands its
// bytes out in chunks of chosen sizes, so that every position of a document
// can fall on a block boundary of the reader.
#ifndef KUV_FUZZ_CHUNKED_INPUT_H_
#define KUV_FUZZ_CHUNKED_INPUT_H_

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "platform/platform.h"

namespace kuv::fuzz {

class ChunkedInput : public platform::InputFile {
 public:
  // Reads alternate between firstChunk and secondChunk bytes. With
  // failAtEnd the input reports a read error instead of its end.
  ChunkedInput(const std::uint8_t* data, std::size_t size, std::size_t firstChunk,
               std::size_t secondChunk, bool failAtEnd)
      : data_(data),
        size_(size),
        chunks_{std::max<std::size_t>(firstChunk, 1), std::max<std::size_t>(secondChunk, 1)},
        failAtEnd_(failAtEnd) {}

  long long Read(char* buffer, std::size_t size) override {
    if (position_ == size_) return failAtEnd_ ? -1 : 0;
    std::size_t count = std::min({size, chunks_[reads_++ % 2], size_ - position_});
    std::memcpy(buffer, data_ + position_, count);
    position_ += count;
    return static_cast<long long>(count);
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t chunks_[2];
  bool failAtEnd_;
  std::size_t position_ = 0;
  std::size_t reads_ = 0;
};

// Collects what is written; fails every write once failAfter bytes would be
// exceeded (never by default).
class StringOutput : public platform::OutputFile {
 public:
  explicit StringOutput(std::size_t failAfter = static_cast<std::size_t>(-1))
      : failAfter_(failAfter) {}

  bool Write(const char* data, std::size_t size) override {
    if (size > failAfter_ - text_.size()) return false;
    text_.append(data, size);
    return true;
  }
  bool Commit() override { return true; }
  const std::string& text() const { return text_; }

 private:
  std::size_t failAfter_;
  std::string text_;
};

}  // namespace kuv::fuzz

#endif  // KUV_FUZZ_CHUNKED_INPUT_H_
