// Finding one byte in a short run. Most runs the reader searches are a tag
// name or a value of a few bytes, where the call into memchr costs more
// than the search; sixteen bytes at a time with SSE2 (which every x86-64
// has) find them in a step or two. Elsewhere memchr does the work.
#ifndef KUV_IO_BYTE_SEARCH_H_
#define KUV_IO_BYTE_SEARCH_H_

#include <cstddef>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kuv::io {

// Bytes that may be read past the end of a run, which the owner of the
// memory must have allocated (their content does not matter).
constexpr std::size_t kSearchOverrun = 16;

// The first c in [from, end), or null. Reads up to kSearchOverrun - 1
// bytes past end.
inline const char* FindByte(const char* from, const char* end, char c) {
#if defined(__SSE2__)
  const __m128i wanted = _mm_set1_epi8(c);
  for (const char* at = from; at < end; at += 16) {
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
    const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, wanted)));
    if (mask != 0) {
      const char* hit = at + __builtin_ctz(mask);
      return hit < end ? hit : nullptr;
    }
  }
  return nullptr;
#else
  return static_cast<const char*>(std::memchr(from, c, static_cast<std::size_t>(end - from)));
#endif
}

}  // namespace kuv::io

#endif  // KUV_IO_BYTE_SEARCH_H_
