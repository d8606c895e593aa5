// Where a command reads from: a file, or a stream ("-" for standard input,
// a pipe, a device) read into memory first, since a document or JSON is
// read whole anyway.
#ifndef KUV_TOOLS_INPUT_SOURCE_H_
#define KUV_TOOLS_INPUT_SOURCE_H_

#include <string>

#include "kuv/document.hpp"

namespace kuv::tool {

// True for "-", which names standard input.
inline bool IsStandardStream(const std::string& path) { return path == "-"; }

// The document at path. Throws kuv::Error as Document::Open does, and a
// ToolError when a stream cannot be read.
Document OpenInputDocument(const std::string& path);

// All the bytes at path. Throws a ToolError when they cannot be read.
std::string ReadInputBytes(const std::string& path);

}  // namespace kuv::tool

#endif  // KUV_TOOLS_INPUT_SOURCE_H_
