// A text that the reader holds on to from one tag to the next. It views the
// scanner's memory while it can and takes a copy of its own only when that
// memory is about to be reused, so most texts are never copied.
#ifndef KUV_IO_HELD_TEXT_H_
#define KUV_IO_HELD_TEXT_H_

#include <string>
#include <string_view>

namespace kuv::io {

class HeldText {
 public:
  std::string_view view() const { return view_; }

  // Views text, wherever it lives.
  void Set(std::string_view text) {
    view_ = text;
    owned_ = false;
  }

  // Copies the viewed text into this holder's own buffer, which keeps its
  // capacity from copy to copy.
  void Keep() {
    if (owned_) return;
    copy_.assign(view_.data(), view_.size());
    view_ = copy_;
    owned_ = true;
  }

 private:
  std::string_view view_;
  std::string copy_;
  bool owned_ = false;
};

}  // namespace kuv::io

#endif  // KUV_IO_HELD_TEXT_H_
