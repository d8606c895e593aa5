#include "io/output_sink.h"

#include <algorithm>
#include <cstring>
#include <system_error>

namespace kuv::io {

OutputSink::OutputSink(platform::OutputFile& file, platform::LineEnd lineEnd, std::size_t chunkSize,
                       Writes writes)
    : file_(file),
      lineEnd_(lineEnd),
      chunkSize_(std::max<std::size_t>(chunkSize, 1)),
      capacity_(std::min(chunkSize_, kFirstBuffer)),
      writes_(writes) {
  buffer_.reset(new char[capacity_]);
}

OutputSink::~OutputSink() = default;

bool OutputSink::Grow(std::size_t needed) {
  if (capacity_ >= chunkSize_) return false;
  const std::size_t wanted = std::max(capacity_ * 8, used_ + needed);
  const std::size_t capacity = std::min(chunkSize_, wanted);
  std::unique_ptr<char[]> buffer(new char[capacity]);
  if (used_ != 0) std::memcpy(buffer.get(), buffer_.get(), used_);
  buffer_ = std::move(buffer);
  capacity_ = capacity;
  return used_ + needed <= capacity_;
}

void OutputSink::Append(std::string_view text) {
  if (text.empty()) return;  // an empty view may carry a null pointer
  if (text.size() <= capacity_ - used_ || Grow(text.size())) {
    std::memcpy(buffer_.get() + used_, text.data(), text.size());
    used_ += text.size();
    return;
  }
  // Fill the buffer up, so that chunks stay full, then pass a long rest on
  // without copying it.
  const std::size_t head = capacity_ - used_;
  std::memcpy(buffer_.get() + used_, text.data(), head);
  used_ = capacity_;
  text.remove_prefix(head);
  Pass();
  if (text.size() >= capacity_) {
    WaitForBackground();
    if (!failed_ && !file_.Write(text.data(), text.size())) failed_ = true;
    return;
  }
  std::memcpy(buffer_.get(), text.data(), text.size());
  used_ = text.size();
}

void OutputSink::AppendText(std::string_view text) {
  const bool everyLineFeed = lineEnd_ == platform::LineEnd::kCrLf;
  std::size_t done = 0;  // text before this is appended
  for (std::size_t at = text.find('\n'); at != std::string_view::npos;
       at = text.find('\n', at + 1)) {
    if (everyLineFeed || (at > 0 && text[at - 1] == '\r')) {
      Append(text.substr(done, at - done));
      Append('\r');
      done = at;  // the line feed follows with the next piece
    }
  }
  Append(text.substr(done));
}

bool OutputSink::Flush() {
  WaitForBackground();
  if (used_ != 0 && !failed_ && !file_.Write(buffer_.get(), used_)) failed_ = true;
  used_ = 0;  // after a failure the buffer is only scratch space
  return !failed_;
}

void OutputSink::Pass() {
  if (writes_ == Writes::kInBackground && capacity_ == chunkSize_ && !failed_) {
    if (background_ == nullptr) {
      try {
        background_ = std::make_unique<ChunkWriter>(file_, chunkSize_);
      } catch (const std::system_error&) {
        writes_ = Writes::kInline;  // no thread to be had: write here
      }
    }
    if (background_ != nullptr) {
      buffer_ = background_->Hand(std::move(buffer_), used_);
      used_ = 0;
      return;
    }
  }
  Flush();
}

void OutputSink::WaitForBackground() {
  if (background_ != nullptr && !background_->Wait()) failed_ = true;
}

}  // namespace kuv::io
