// Files in memory, for driving the writer and the reader without a disk.
#ifndef KUV_TESTS_SUPPORT_MEMORY_FILES_H_
#define KUV_TESTS_SUPPORT_MEMORY_FILES_H_

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "model/object_store.h"
#include "platform/platform.h"

namespace kuv::testing {

// Collects what is written and the size of every Write call; fails the
// call that would pass failAfterBytes, and every call after it.
class MemoryOutput : public platform::OutputFile {
 public:
  std::string bytes;
  std::vector<std::size_t> writeSizes;
  std::optional<std::size_t> failAfterBytes;
  bool committed = false;

  bool Write(const char* data, std::size_t size) override;
  bool Commit() override {
    committed = true;
    return true;
  }
};

// Hands out a text in reads of at most blockSize bytes.
class MemoryInput : public platform::InputFile {
 public:
  explicit MemoryInput(std::string text, std::size_t blockSize = 1 << 16)
      : text_(std::move(text)), blockSize_(blockSize) {}
  long long Read(char* buffer, std::size_t size) override;

 private:
  std::string text_;
  std::size_t blockSize_;
  std::size_t position_ = 0;
};

// The document that the writer makes of store; with LF line ends unless
// told otherwise, as tests write their expectations.
std::string WrittenText(const CObjectStore& store,
                        platform::LineEnd lineEnd = platform::LineEnd::kLf);

}  // namespace kuv::testing

#endif  // KUV_TESTS_SUPPORT_MEMORY_FILES_H_
