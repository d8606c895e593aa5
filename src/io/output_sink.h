// A buffered sink in front of an OutputFile: a document is emitted in many
// small pieces, and the file receives them in large chunks.
#ifndef KUV_IO_OUTPUT_SINK_H_
#define KUV_IO_OUTPUT_SINK_H_

#include <cstddef>
#include <memory>
#include <string_view>

#include "platform/platform.h"

namespace kuv::io {

class OutputSink {
 public:
  static constexpr std::size_t kDefaultChunkSize = std::size_t{1} << 20;

  explicit OutputSink(platform::OutputFile& file, std::size_t chunkSize = kDefaultChunkSize);
  OutputSink(const OutputSink&) = delete;
  OutputSink& operator=(const OutputSink&) = delete;

  // Appends text. A run of at least a chunk goes to the file directly.
  void Append(std::string_view text);
  void Append(char c) {
    if (used_ == capacity_) Flush();
    buffer_[used_++] = c;
  }

  // Room for exactly size bytes in the buffer, which the caller fills at
  // once; null when the buffer lacks that room, and the caller then appends
  // piece by piece (so chunks still leave full).
  char* Claim(std::size_t size) {
    if (size > capacity_ - used_) return nullptr;
    char* room = buffer_.get() + used_;
    used_ += size;
    return room;
  }

  // Hands the buffered bytes to the file. Returns false once any write has
  // failed; from then on everything appended is dropped.
  bool Flush();
  bool ok() const { return !failed_; }

 private:
  platform::OutputFile& file_;
  std::unique_ptr<char[]> buffer_;
  std::size_t capacity_;
  std::size_t used_ = 0;
  bool failed_ = false;
};

}  // namespace kuv::io

#endif  // KUV_IO_OUTPUT_SINK_H_
