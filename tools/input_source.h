// Where a command reads from: a file, or a stream ("-" for standard input,
// a pipe, a device) read into memory first, since a document or JSON is
// read whole anyway.
#ifndef KUV_TOOLS_INPUT_SOURCE_H_
#define KUV_TOOLS_INPUT_SOURCE_H_

#include <cstdint>
#include <istream>
#include <memory>
#include <string>
#include <vector>

#include "kuv/document.hpp"

namespace kuv::tool {

// True for "-", which names standard input.
inline bool IsStandardStream(const std::string& path) { return path == "-"; }

// The document at path. Throws kuv::Error as Document::Open does, and a
// ToolError when a stream cannot be read. When notes is given, what the
// reading took leniently is added to it.
Document OpenInputDocument(const std::string& path, std::vector<ReadNote>* notes = nullptr);

// The bytes at path as a stream, read as they are needed, and their size
// when it is known beforehand (0 for a stream).
struct InputStream {
  std::unique_ptr<std::istream> file;  // null for standard input
  std::uint64_t size = 0;
  std::istream& stream() const;
};

// Throws a ToolError when path cannot be opened.
InputStream OpenInputStream(const std::string& path);

// All the bytes at path. Throws a ToolError when they cannot be read.
std::string ReadInputBytes(const std::string& path);

}  // namespace kuv::tool

#endif  // KUV_TOOLS_INPUT_SOURCE_H_
