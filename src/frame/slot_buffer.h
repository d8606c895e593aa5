// One returned-string slot: a library-owned, zero-terminated buffer that
// keeps its capacity from one copy-out to the next, so that handing out a
// text is one memmove while it fits.
#ifndef KUV_FRAME_SLOT_BUFFER_H_
#define KUV_FRAME_SLOT_BUFFER_H_

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>

namespace kuv {

class SlotBuffer {
 public:
  // Copies text in and returns the buffer. The text may lie in this very
  // buffer (a caller passing back a string it got from the slot).
  char* Assign(std::string_view text) {
    const std::size_t needed = text.size() + 1;
    if (needed > capacity_ || (capacity_ > kShrinkFloor && capacity_ / 4 > needed)) {
      Reallocate(text);
    } else {
      CopyAllowingOverlap(data_.get(), text.data(), text.size());
      data_[text.size()] = '\0';
    }
    return data_.get();
  }

  void Free() {
    data_.reset();
    capacity_ = 0;
  }
  std::size_t capacity() const { return capacity_; }
  const char* data() const { return data_.get(); }
  // The text last handed out; empty when the slot has none.
  std::string_view view() const { return data_ ? std::string_view(data_.get()) : std::string_view(); }
  friend bool operator==(const SlotBuffer& slot, std::string_view text) { return slot.view() == text; }
  friend bool operator==(std::string_view text, const SlotBuffer& slot) { return slot.view() == text; }

 private:
  // Most handed-out texts are names and numbers of a few bytes: those are
  // copied with a few loads and stores instead of a call. Every load comes
  // before every store, so the text may overlap the buffer.
  static void CopyAllowingOverlap(char* to, const char* from, std::size_t size) {
    if (size >= 8 && size <= 16) {
      std::uint64_t head, tail;
      std::memcpy(&head, from, 8);
      std::memcpy(&tail, from + size - 8, 8);
      std::memcpy(to, &head, 8);
      std::memcpy(to + size - 8, &tail, 8);
    } else if (size >= 4 && size < 8) {
      std::uint32_t head, tail;
      std::memcpy(&head, from, 4);
      std::memcpy(&tail, from + size - 4, 4);
      std::memcpy(to, &head, 4);
      std::memcpy(to + size - 4, &tail, 4);
    } else if (size > 0 && size < 4) {
      const char first = from[0], middle = from[size / 2], last = from[size - 1];
      to[0] = first;
      to[size / 2] = middle;
      to[size - 1] = last;
    } else if (size > 16) {
      std::memmove(to, from, size);
    }
  }

  // A buffer this much larger than its text is given back.
  static constexpr std::size_t kShrinkFloor = 64 * 1024;

  void Reallocate(std::string_view text) {
    const std::size_t needed = text.size() + 1;
    const std::size_t capacity = needed < 32 ? 32 : needed;
    std::unique_ptr<char[]> fresh(new char[capacity]);
    if (!text.empty()) std::memcpy(fresh.get(), text.data(), text.size());  // before the old one goes
    fresh[text.size()] = '\0';
    data_ = std::move(fresh);
    capacity_ = capacity;
  }

  std::unique_ptr<char[]> data_;
  std::size_t capacity_ = 0;
};

}  // namespace kuv

#endif  // KUV_FRAME_SLOT_BUFFER_H_
