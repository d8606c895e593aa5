// One value of a row. A document holds millions of them, so a value keeps
// its field as an index into its table's field names and holds short texts
// in place: 16 bytes, no allocation for texts of up to 12 bytes (most
// numbers a well log holds).
#ifndef KUV_MODEL_VALUE_NODE_H_
#define KUV_MODEL_VALUE_NODE_H_

#include <cstdint>
#include <cstring>
#include <string_view>

namespace kuv {

class CValueNode {
 public:
  // Throws std::length_error for a text of 4 GB or more, or a field index
  // of 2^27 or more (more distinct field names in one table than any
  // document of a sane size holds).
  CValueNode(std::uint32_t fieldIndex, std::string_view text);
  CValueNode(CValueNode&& other) noexcept;
  CValueNode& operator=(CValueNode&& other) noexcept;
  CValueNode(const CValueNode&) = delete;
  CValueNode& operator=(const CValueNode&) = delete;
  ~CValueNode();

  // Index of the field name in the field names of the row's table.
  std::uint32_t fieldIndex() const { return head_ & kFieldMask; }
  std::string_view value() const {
    const std::uint32_t inlineLength = head_ >> kFieldBits;
    if (inlineLength != 0) return {bytes_, inlineLength - 1};
    return {HeapText(), HeapSize()};
  }

 private:
  static constexpr std::uint32_t kInline = 12;
  static constexpr std::uint32_t kFieldBits = 27;
  static constexpr std::uint32_t kFieldMask = (1u << kFieldBits) - 1;

  // A text on the heap keeps its size and address in bytes_, copied in
  // and out, so that the node needs no 8-byte alignment and stays at 16.
  std::uint32_t HeapSize() const {
    std::uint32_t size;
    std::memcpy(&size, bytes_, sizeof size);
    return size;
  }
  char* HeapText() const {
    char* text;
    std::memcpy(&text, bytes_ + sizeof(std::uint32_t), sizeof text);
    return text;
  }
  bool OnHeap() const { return (head_ >> kFieldBits) == 0; }

  // The field index in the low bits; above them the length of an inline
  // text plus one, or 0 when the text is on the heap.
  std::uint32_t head_;
  char bytes_[kInline];
};

static_assert(sizeof(CValueNode) == 16, "a value node stays small");

}  // namespace kuv

#endif  // KUV_MODEL_VALUE_NODE_H_
