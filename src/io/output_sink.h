// A buffered sink in front of an OutputFile: a document is emitted in many
// small pieces, and the file receives them in large chunks. The sink also
// gives the document its line ends: the platform's text files want each
// "\n" as "\r\n" on Windows, and reading, which takes CR LF for one line
// end everywhere, must give every text back as it was.
#ifndef KUV_IO_OUTPUT_SINK_H_
#define KUV_IO_OUTPUT_SINK_H_

#include <cstddef>
#include <cstring>
#include <memory>
#include <string_view>

#include "io/chunk_writer.h"
#include "platform/platform.h"

namespace kuv::io {

class OutputSink {
 public:
  static constexpr std::size_t kDefaultChunkSize = std::size_t{1} << 20;

  // With Writes::kInBackground, whole chunks go to the file on a thread of
  // its own once the document has filled one; the file must then take
  // writes from another thread (a file of our own does, a caller's stream
  // might be in use by the caller between writes).
  enum class Writes { kInline, kInBackground };

  OutputSink(platform::OutputFile& file, platform::LineEnd lineEnd,
             std::size_t chunkSize = kDefaultChunkSize, Writes writes = Writes::kInline);
  ~OutputSink();
  OutputSink(const OutputSink&) = delete;
  OutputSink& operator=(const OutputSink&) = delete;

  // Appends bytes as they are. A run of at least a chunk goes to the file
  // directly.
  void Append(std::string_view bytes);
  void Append(char c) {
    if (used_ == capacity_ && !Grow(1)) Pass();
    buffer_[used_++] = c;
  }

  // Ends a line of the document's own layout.
  void EndLine() {
    if (lineEnd_ == platform::LineEnd::kCrLf) Append('\r');
    Append('\n');
  }
  std::size_t lineEndSize() const { return lineEnd_ == platform::LineEnd::kCrLf ? 2 : 1; }
  // Writes the line end at out, which has room for lineEndSize() bytes, and
  // returns the end of it.
  char* PutLineEnd(char* out) const {
    if (lineEnd_ == platform::LineEnd::kCrLf) *out++ = '\r';
    *out++ = '\n';
    return out;
  }

  // Appends a text held by the model (a name, an attribute, a value) so
  // that reading gives it back: with CR LF line ends each of its line feeds
  // gets a CR before it; with LF line ends only one that follows a CR does
  // (a CR LF is written CR CR LF), since reading would take that pair for a
  // line end. A text never begins or ends a line of the layout, so a line
  // feed follows a CR only within one text.
  void AppendText(std::string_view text);
  // Whether text holds no line feed, so that it may be appended as bytes.
  static bool IsSingleLine(std::string_view text) {
    // Most texts are a few bytes long: a loop beats the call to memchr.
    if (text.size() <= kShortText) {
      for (const char c : text) {
        if (c == '\n') return false;
      }
      return true;
    }
    return std::memchr(text.data(), '\n', text.size()) == nullptr;
  }

  // Room for exactly size bytes in the buffer, which the caller fills at
  // once; null when the buffer lacks that room, and the caller then appends
  // piece by piece (so chunks still leave full).
  char* Claim(std::size_t size) {
    if (size > capacity_ - used_ && !Grow(size)) return nullptr;
    char* room = buffer_.get() + used_;
    used_ += size;
    return room;
  }

  // Hands the buffered bytes to the file, and returns once every byte
  // appended is written. Returns false once any write has failed; from then
  // on everything appended is dropped.
  bool Flush();
  bool ok() const { return !failed_; }

 private:
  static constexpr std::size_t kShortText = 24;
  // The buffer starts small and grows towards a chunk, so that a small
  // document never pays for a whole chunk of memory.
  static constexpr std::size_t kFirstBuffer = 4096;

  // Makes room for needed more bytes by growing the buffer while it is
  // smaller than a chunk; false when it is a whole chunk already.
  bool Grow(std::size_t needed);
  // Passes a full buffer on: in the background where allowed, else as
  // Flush does.
  void Pass();
  // Waits for the chunk in flight, so that what follows is written after it.
  void WaitForBackground();

  platform::OutputFile& file_;
  platform::LineEnd lineEnd_;
  std::unique_ptr<char[]> buffer_;
  std::size_t chunkSize_;
  std::size_t capacity_;
  std::size_t used_ = 0;
  bool failed_ = false;
  Writes writes_;
  std::unique_ptr<ChunkWriter> background_;  // made with the first full chunk
};

}  // namespace kuv::io

#endif  // KUV_IO_OUTPUT_SINK_H_
