// A stream that reads another stream's bytes and tells, block by block, how
// many have passed, so that a progress bar can follow a reader that works
// on a thread of its own through one large object.
#ifndef KUV_TOOLS_COUNTING_INPUT_H_
#define KUV_TOOLS_COUNTING_INPUT_H_

#include <cstdint>
#include <functional>
#include <istream>
#include <streambuf>
#include <vector>

namespace kuv::tool {

class CountingInput : public std::istream {
 public:
  // counted is called with the total so far each time a block is read, on
  // the thread that reads.
  CountingInput(std::istream& source, std::function<void(std::uint64_t)> counted)
      : std::istream(nullptr), buffer_(*source.rdbuf(), std::move(counted)) {
    rdbuf(&buffer_);
  }

 private:
  class Buffer : public std::streambuf {
   public:
    Buffer(std::streambuf& source, std::function<void(std::uint64_t)> counted)
        : source_(source), counted_(std::move(counted)), block_(1 << 16) {}

   protected:
    int_type underflow() override {
      if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
      const std::streamsize got =
          source_.sgetn(block_.data(), static_cast<std::streamsize>(block_.size()));
      if (got <= 0) return traits_type::eof();
      total_ += static_cast<std::uint64_t>(got);
      counted_(total_);
      setg(block_.data(), block_.data(), block_.data() + got);
      return traits_type::to_int_type(*gptr());
    }

   private:
    std::streambuf& source_;
    std::function<void(std::uint64_t)> counted_;
    std::vector<char> block_;
    std::uint64_t total_ = 0;
  };

  Buffer buffer_;
};

}  // namespace kuv::tool

#endif  // KUV_TOOLS_COUNTING_INPUT_H_
