// A text together with the copy of it remembered at some earlier point.
// Two buffers take turns, so that remembering never copies: the remembered
// text shares the current buffer until the current text is read anew.
#ifndef KUV_IO_REMEMBERED_TEXT_H_
#define KUV_IO_REMEMBERED_TEXT_H_

#include <string>

namespace kuv::io {

class RememberedText {
 public:
  const std::string& current() const { return buffers_[current_]; }
  const std::string& remembered() const { return buffers_[remembered_]; }

  void Remember() { remembered_ = current_; }

  // The current text's buffer, to be overwritten; never the remembered one.
  std::string& Rewrite() {
    if (current_ == remembered_) current_ ^= 1;
    return buffers_[current_];
  }

 private:
  std::string buffers_[2];
  int current_ = 0;
  int remembered_ = 1;
};

}  // namespace kuv::io

#endif  // KUV_IO_REMEMBERED_TEXT_H_
