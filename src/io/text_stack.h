// A stack of texts kept end to end in one buffer, so that pushing and
// popping the reader's tag names allocates nothing once the buffer has
// grown.
#ifndef KUV_IO_TEXT_STACK_H_
#define KUV_IO_TEXT_STACK_H_

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kuv::io {

class TextStack {
 public:
  bool empty() const { return starts_.empty(); }
  std::size_t size() const { return starts_.size(); }
  void Push(std::string_view text) {
    starts_.push_back(characters_.size());
    characters_.append(text.data(), text.size());
  }
  void Pop() {
    characters_.resize(starts_.back());
    starts_.pop_back();
  }
  // The innermost text; the stack must not be empty.
  std::string_view Top() const { return std::string_view(characters_).substr(starts_.back()); }

 private:
  std::string characters_;
  std::vector<std::size_t> starts_;
};

}  // namespace kuv::io

#endif  // KUV_IO_TEXT_STACK_H_
