#include "model/value_node.h"

#include <cstring>
#include <limits>
#include <stdexcept>

namespace kuv {

CValueNode::CValueNode(std::uint32_t fieldIndex, std::string_view text)
    : field_(fieldIndex) {
  if (text.size() > std::numeric_limits<std::uint32_t>::max()) {
    throw std::length_error("value text too long");
  }
  size_ = static_cast<std::uint32_t>(text.size());
  if (size_ <= kInline) {
    if (size_ != 0) std::memcpy(inline_, text.data(), size_);
  } else {
    heap_ = new char[size_];
    std::memcpy(heap_, text.data(), size_);
  }
}

CValueNode::CValueNode(CValueNode&& other) noexcept
    : field_(other.field_), size_(other.size_) {
  std::memcpy(inline_, other.inline_, kInline);  // moves the pointer too
  other.size_ = 0;
}

CValueNode& CValueNode::operator=(CValueNode&& other) noexcept {
  if (this != &other) {
    if (size_ > kInline) delete[] heap_;
    field_ = other.field_;
    size_ = other.size_;
    std::memcpy(inline_, other.inline_, kInline);
    other.size_ = 0;
  }
  return *this;
}

CValueNode::~CValueNode() {
  if (size_ > kInline) delete[] heap_;
}

}  // namespace kuv
