// Reads a document's bytes in large blocks and hands them out up to a
// delimiter, as a text-mode stream would: a carriage return directly
// followed by a line feed reads as the line feed alone, a lone carriage
// return stays.
//
// Tokens are views, into the block when they lie within it, else into the
// scanner's own copy. Before the scanner overwrites either, it calls the
// owner's keep hook, which must copy whatever views it still needs.
#ifndef KUV_IO_INPUT_SCANNER_H_
#define KUV_IO_INPUT_SCANNER_H_

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace kuv::io {

class InputScanner {
 public:
  static constexpr std::size_t kDefaultBlockSize = 256 * 1024;

  InputScanner(platform::InputFile& input, std::function<void()> keepViews,
               std::size_t blockSize = kDefaultBlockSize);
  InputScanner(const InputScanner&) = delete;
  InputScanner& operator=(const InputScanner&) = delete;

  enum class Stop {
    kDelimiter,  // the delimiter was found and consumed
    kEnd,        // the input ended first
    kFailed,     // reading failed first
  };

  // Consumes the characters up to and including the next delimiter; the
  // ones before it go to *token unless token is null. When the input ends
  // or fails first, *token holds what was read before.
  Stop Next(char delimiter, std::string_view* token);

  // True when another character can be read; looking ahead does not count
  // as reading past the end.
  bool HasMore() { return position_ < end_ || Refill(); }

  // False once a character was asked for past the end, or reading failed.
  bool good() const { return !endReached_ && !failed_; }

  // The unread bytes of the current block, for a caller that recognises a
  // whole run of them at once. The block may be read up to
  // kSearchOverrun bytes past unreadEnd(). Consume marks bytes up to (not
  // including) to as read; views into the block stay valid until the next
  // Next or HasMore that refills it.
  const char* unreadBegin() const { return block_.get() + position_; }
  const char* unreadEnd() const { return block_.get() + end_; }
  void Consume(const char* to) { position_ = static_cast<std::size_t>(to - block_.get()); }
  bool failed() const { return failed_; }

 private:
  // Lets the owner keep its views, then refills the used-up block; false
  // when nothing more can be had.
  bool Refill();
  bool Fill();
  // Turns each CR LF pair of data into LF in place, holds a CR that ends
  // the block back for the next one, and returns the new length.
  std::size_t TranslateLineEnds(char* data, std::size_t size);

  void AllocateBlock();

  platform::InputFile& input_;
  std::function<void()> keepViews_;
  std::size_t blockSize_;  // the largest block
  std::size_t capacity_;   // the current block's
  std::unique_ptr<char[]> block_;
  bool growNext_ = false;
  std::size_t position_ = 0;
  std::size_t end_ = 0;
  std::string spanning_;  // a token that runs over the end of a block
  bool heldCarriageReturn_ = false;
  bool inputDone_ = false;   // the file reported its end
  bool endReached_ = false;  // a character was wanted past that end
  bool failed_ = false;
};

}  // namespace kuv::io

#endif  // KUV_IO_INPUT_SCANNER_H_
