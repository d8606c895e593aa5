// Reads a document's bytes in large blocks and hands them out up to a
// delimiter, as a text-mode stream would: a carriage return directly
// followed by a line feed reads as the line feed alone, a lone carriage
// return stays.
#ifndef KUV_IO_INPUT_SCANNER_H_
#define KUV_IO_INPUT_SCANNER_H_

#include <cstddef>
#include <memory>
#include <string>

#include "platform/platform.h"

namespace kuv::io {

class InputScanner {
 public:
  static constexpr std::size_t kDefaultBlockSize = 256 * 1024;

  explicit InputScanner(platform::InputFile& input, std::size_t blockSize = kDefaultBlockSize);
  InputScanner(const InputScanner&) = delete;
  InputScanner& operator=(const InputScanner&) = delete;

  enum class Stop {
    kDelimiter,  // the delimiter was found and consumed
    kEnd,        // the input ended first
    kFailed,     // reading failed first
  };

  // Appends the characters before the next delimiter to *text (drops them
  // when text is null) and consumes the delimiter. Whatever was read before
  // the input ended or failed has been appended too.
  Stop ReadUntil(char delimiter, std::string* text);

  // True when another character can be read; looking ahead does not count
  // as reading past the end.
  bool HasMore();

  // False once a character was asked for past the end, or reading failed.
  bool good() const { return !endReached_ && !failed_; }
  bool failed() const { return failed_; }

 private:
  // Refills the empty buffer; false when nothing more can be had.
  bool Fill();
  // Turns each CR LF pair of data into LF in place, holds a CR that ends
  // the block back for the next one, and returns the new length.
  std::size_t TranslateLineEnds(char* data, std::size_t size);

  platform::InputFile& input_;
  std::size_t blockSize_;
  std::unique_ptr<char[]> buffer_;
  std::size_t position_ = 0;
  std::size_t end_ = 0;
  bool heldCarriageReturn_ = false;
  bool inputDone_ = false;   // the file reported its end
  bool endReached_ = false;  // a character was wanted past that end
  bool failed_ = false;
};

}  // namespace kuv::io

#endif  // KUV_IO_INPUT_SCANNER_H_
