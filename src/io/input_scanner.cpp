#include "io/input_scanner.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "io/byte_search.h"

namespace kuv::io {

namespace {
// A held carriage return takes one byte of the block, so a block needs
// room for at least one more.
constexpr std::size_t kSmallestBlock = 2;
// The first block is small, so that a small document never pays for a
// whole block of memory; the blocks grow as the file shows itself large.
constexpr std::size_t kFirstBlock = 16 * 1024;
}  // namespace

InputScanner::InputScanner(platform::InputFile& input, std::function<void()> keepViews,
                           std::size_t blockSize)
    : input_(input),
      keepViews_(std::move(keepViews)),
      blockSize_(std::max(blockSize, kSmallestBlock)),
      capacity_(std::min(blockSize_, kFirstBlock)) {
  AllocateBlock();
}

// Zeroed, the room past the block included, so that searches that read
// ahead of the end never see uninitialised bytes.
void InputScanner::AllocateBlock() { block_.reset(new char[capacity_ + kSearchOverrun]()); }

InputScanner::Stop InputScanner::Next(char delimiter, std::string_view* token) {
  const char* start = block_.get() + position_;
  std::size_t available = end_ - position_;
  const char* hit = FindByte(start, start + available, delimiter);
  if (hit != nullptr) {
    // The common case: the token lies within the block and is not copied.
    const auto length = static_cast<std::size_t>(hit - start);
    if (token != nullptr) *token = std::string_view(start, length);
    position_ += length + 1;
    return Stop::kDelimiter;
  }
  keepViews_();
  spanning_.clear();
  for (;;) {
    if (token != nullptr) spanning_.append(start, available);
    position_ = end_;
    if (!Fill()) {
      endReached_ = !failed_;
      if (token != nullptr) *token = spanning_;
      return failed_ ? Stop::kFailed : Stop::kEnd;
    }
    start = block_.get();
    available = end_;
    hit = FindByte(start, start + available, delimiter);
    if (hit != nullptr) {
      const auto length = static_cast<std::size_t>(hit - start);
      if (token != nullptr) {
        spanning_.append(start, length);
        *token = spanning_;
      }
      position_ = length + 1;
      return Stop::kDelimiter;
    }
  }
}

bool InputScanner::Refill() {
  keepViews_();
  return Fill();
}

bool InputScanner::Fill() {
  position_ = 0;
  end_ = 0;
  // A block can shrink to nothing (a lone held CR), so read until there is
  // something to hand out.
  while (end_ == 0) {
    if (inputDone_ || failed_) return false;
    // A file that filled the last block is a large one: the next block is
    // larger, up to the full size. Nothing views the old block any more.
    if (growNext_) {
      capacity_ = std::min(blockSize_, capacity_ * 8);
      AllocateBlock();
      growNext_ = false;
    }
    std::size_t kept = 0;
    if (heldCarriageReturn_) {
      block_[0] = '\r';
      kept = 1;
    }
    const long long got = input_.Read(block_.get() + kept, capacity_ - kept);
    if (got < 0) {
      failed_ = true;
      return false;
    }
    heldCarriageReturn_ = false;
    growNext_ = capacity_ < blockSize_ && static_cast<std::size_t>(got) == capacity_ - kept;
    if (got == 0) {
      inputDone_ = true;
      end_ = kept;  // a CR just before the end stays a CR
      return end_ != 0;
    }
    end_ = TranslateLineEnds(block_.get(), kept + static_cast<std::size_t>(got));
  }
  return true;
}

std::size_t InputScanner::TranslateLineEnds(char* data, std::size_t size) {
  char* const end = data + size;
  char* read = static_cast<char*>(std::memchr(data, '\r', size));
  if (read == nullptr) return size;
  char* write = read;
  // Each turn starts at a CR and copies up to the next one.
  while (read < end) {
    if (read + 1 == end) {
      heldCarriageReturn_ = true;  // its partner may start the next block
      break;
    }
    if (read[1] == '\n') ++read;
    char* next =
        static_cast<char*>(std::memchr(read + 1, '\r', static_cast<std::size_t>(end - (read + 1))));
    char* stop = next != nullptr ? next : end;
    const auto length = static_cast<std::size_t>(stop - read);
    std::memmove(write, read, length);
    write += length;
    read = stop;
  }
  return static_cast<std::size_t>(write - data);
}

}  // namespace kuv::io
