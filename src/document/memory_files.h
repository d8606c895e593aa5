// A document's bytes in memory, read and written through the same reader
// and writer as files.
#ifndef KUV_DOCUMENT_MEMORY_FILES_H_
#define KUV_DOCUMENT_MEMORY_FILES_H_

#include <algorithm>
#include <cstring>
#include <ostream>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace kuv::document {

class MemoryInput : public platform::InputFile {
 public:
  explicit MemoryInput(std::string_view bytes) : bytes_(bytes) {}
  long long Read(char* buffer, std::size_t size) override {
    const std::size_t count = std::min(size, bytes_.size());
    std::memcpy(buffer, bytes_.data(), count);
    bytes_.remove_prefix(count);
    return static_cast<long long>(count);
  }

 private:
  std::string_view bytes_;
};

class MemoryOutput : public platform::OutputFile {
 public:
  explicit MemoryOutput(std::string& bytes) : bytes_(bytes) {}
  bool Write(const char* data, std::size_t size) override {
    bytes_.append(data, size);
    return true;
  }
  bool Commit() override { return true; }

 private:
  std::string& bytes_;
};

// Hands the writer's output to a stream.
class StreamOutput : public platform::OutputFile {
 public:
  explicit StreamOutput(std::ostream& out) : out_(out) {}
  bool Write(const char* data, std::size_t size) override {
    out_.write(data, static_cast<std::streamsize>(size));
    return static_cast<bool>(out_);
  }
  bool Commit() override { return static_cast<bool>(out_.flush()); }

 private:
  std::ostream& out_;
};

}  // namespace kuv::document

#endif  // KUV_DOCUMENT_MEMORY_FILES_H_
