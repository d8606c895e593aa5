#include "support/memory_files.h"

#include <algorithm>
#include <cstring>

#include "io/writer.h"

namespace kuv::testing {

bool MemoryOutput::Write(const char* data, std::size_t size) {
  writeSizes.push_back(size);
  if (failAfterBytes && bytes.size() + size > *failAfterBytes) {
    bytes.append(data, *failAfterBytes - std::min(*failAfterBytes, bytes.size()));
    failAfterBytes = bytes.size();  // every later call fails too
    return false;
  }
  bytes.append(data, size);
  return true;
}

long long MemoryInput::Read(char* buffer, std::size_t size) {
  const std::size_t count = std::min({size, blockSize_, text_.size() - position_});
  if (count != 0) std::memcpy(buffer, text_.data() + position_, count);
  position_ += count;
  return static_cast<long long>(count);
}

std::string WrittenText(const CObjectStore& store, platform::LineEnd lineEnd) {
  MemoryOutput output;
  io::WriteDocument(store, output, lineEnd);
  return output.bytes;
}

}  // namespace kuv::testing
