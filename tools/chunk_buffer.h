// A stream buffer that collects what is written and hands it on in large
// chunks, so that no output is held whole and what lies below sees few,
// large writes.
#ifndef KUV_TOOLS_CHUNK_BUFFER_H_
#define KUV_TOOLS_CHUNK_BUFFER_H_

#include <cstddef>
#include <functional>
#include <streambuf>
#include <utility>
#include <vector>

namespace kuv::tool {

class ChunkBuffer : public std::streambuf {
 public:
  // Takes a chunk; false when it could not be stored.
  using Sink = std::function<bool(const char* data, std::size_t size)>;
  // Called after the chunks on a flush of the stream; false on failure.
  using Flush = std::function<bool()>;

  explicit ChunkBuffer(Sink sink, Flush flush = {})
      : sink_(std::move(sink)), flush_(std::move(flush)), chunk_(kChunkBytes) {
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
  int sync() override { return Drain() && (!flush_ || flush_()) ? 0 : -1; }

 private:
  static constexpr std::size_t kChunkBytes = 64 * 1024;

  bool Drain() {
    const auto size = static_cast<std::size_t>(pptr() - pbase());
    setp(chunk_.data(), chunk_.data() + chunk_.size());
    return size == 0 || sink_(chunk_.data(), size);
  }

  Sink sink_;
  Flush flush_;
  std::vector<char> chunk_;
};

}  // namespace kuv::tool

#endif  // KUV_TOOLS_CHUNK_BUFFER_H_
