// The fuzz harnesses' own assertions: a broken promise of the library is a
// crash, so that the fuzzer keeps the input and the replay fails on it.
#ifndef KUV_FUZZ_FUZZ_CHECK_H_
#define KUV_FUZZ_FUZZ_CHECK_H_

#include <cstdio>
#include <cstdlib>

namespace kuv::fuzz {

inline void Expect(bool holds, const char* what) {
  if (holds) return;
  std::fprintf(stderr, "kuv fuzz check failed: %s\n", what);
  std::abort();
}

}  // namespace kuv::fuzz

#endif  // KUV_FUZZ_FUZZ_CHECK_H_
