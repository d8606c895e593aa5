// libFuzzer entry: arbitrary bytes as a document and as a template.
#include <cstddef>
#include <cstdint>

#include "reader_harness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  kuv::fuzz::ExerciseReader(data, size);
  return 0;
}
