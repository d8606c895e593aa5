#include "model/value_node.h"

#include <limits>
#include <stdexcept>

namespace kuv {

CValueNode::CValueNode(std::uint32_t fieldIndex, std::string_view text) {
  if (text.size() > std::numeric_limits<std::uint32_t>::max()) {
    throw std::length_error("value text too long");
  }
  if (fieldIndex > kFieldMask) throw std::length_error("too many field names in one table");
  const auto size = static_cast<std::uint32_t>(text.size());
  if (size <= kInline) {
    head_ = fieldIndex | ((size + 1) << kFieldBits);
    if (size != 0) std::memcpy(bytes_, text.data(), size);
    return;
  }
  char* heap = new char[size];
  std::memcpy(heap, text.data(), size);
  head_ = fieldIndex;
  std::memcpy(bytes_, &size, sizeof size);
  std::memcpy(bytes_ + sizeof size, &heap, sizeof heap);
}

CValueNode::CValueNode(CValueNode&& other) noexcept : head_(other.head_) {
  std::memcpy(bytes_, other.bytes_, kInline);             // moves a heap text's address too
  other.head_ = other.fieldIndex() | (1u << kFieldBits);  // left holding the empty text
}

CValueNode& CValueNode::operator=(CValueNode&& other) noexcept {
  if (this != &other) {
    if (OnHeap()) delete[] HeapText();
    head_ = other.head_;
    std::memcpy(bytes_, other.bytes_, kInline);
    other.head_ = other.fieldIndex() | (1u << kFieldBits);
  }
  return *this;
}

CValueNode::~CValueNode() {
  if (OnHeap()) delete[] HeapText();
}

}  // namespace kuv
