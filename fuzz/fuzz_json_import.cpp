// libFuzzer entry: arbitrary bytes as the JSON that kuv import reads.
#include <cstddef>
#include <cstdint>

#include "json_import_harness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  kuv::fuzz::ExerciseJsonImport(data, size);
  return 0;
}
