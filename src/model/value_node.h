// One value of a row. A document holds millions of them, so a value keeps
// its field as an index into its table's field names and holds short texts
// in place: 24 bytes, no allocation for texts of up to 16 bytes.
#ifndef KUV_MODEL_VALUE_NODE_H_
#define KUV_MODEL_VALUE_NODE_H_

#include <cstdint>
#include <string_view>

namespace kuv {

class CValueNode {
 public:
  CValueNode(std::uint32_t fieldIndex, std::string_view text);
  CValueNode(CValueNode&& other) noexcept;
  CValueNode& operator=(CValueNode&& other) noexcept;
  CValueNode(const CValueNode&) = delete;
  CValueNode& operator=(const CValueNode&) = delete;
  ~CValueNode();

  // Index of the field name in the field names of the row's table.
  std::uint32_t fieldIndex() const { return field_; }
  std::string_view value() const {
    return {size_ <= kInline ? inline_ : heap_, size_};
  }

 private:
  static constexpr std::uint32_t kInline = 16;
  std::uint32_t field_;
  std::uint32_t size_;
  union {
    char inline_[kInline];
    char* heap_;
  };
};

}  // namespace kuv

#endif  // KUV_MODEL_VALUE_NODE_H_
