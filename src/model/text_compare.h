// Comparing short texts. Names and the like are a few bytes long, and
// comparing eight bytes at a time inline beats a call to memcmp there.
#ifndef KUV_MODEL_TEXT_COMPARE_H_
#define KUV_MODEL_TEXT_COMPARE_H_

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace kuv {

// Whether two runs of size bytes are equal.
inline bool SameBytes(const char* a, const char* b, std::size_t size) {
  while (size >= 8) {
    std::uint64_t x;
    std::uint64_t y;
    std::memcpy(&x, a, 8);
    std::memcpy(&y, b, 8);
    if (x != y) return false;
    a += 8;
    b += 8;
    size -= 8;
  }
  for (; size != 0; --size) {
    if (*a++ != *b++) return false;
  }
  return true;
}

inline bool SameText(std::string_view a, std::string_view b) {
  return a.size() == b.size() && SameBytes(a.data(), b.data(), a.size());
}

}  // namespace kuv

#endif  // KUV_MODEL_TEXT_COMPARE_H_
