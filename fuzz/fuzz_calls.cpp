// libFuzzer entry: arbitrary bytes as a sequence of calls to the exports.
#include <cstddef>
#include <cstdint>

#include "call_sequence.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  kuv::fuzz::RunCallSequence(data, size);
  return 0;
}
