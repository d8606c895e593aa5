// Reads the JSON that JsonDocumentWriter writes (see json_writer.h for its
// shape) back into objects, their text encoded for the document.
#ifndef KUV_TOOLS_JSON_READER_H_
#define KUV_TOOLS_JSON_READER_H_

#include <string>
#include <vector>

#include "object_content.h"
#include "text_encoding.h"

namespace kuv::tool {

// Throws a ToolError for a file that cannot be read, JSON that is invalid
// or not of this shape, and text that the encoding or the document format
// cannot hold; the message names the object, table and field concerned.
std::vector<ObjectContent> ReadJsonDocument(const std::string& path, Encoding encoding);

// The same for JSON text already in memory.
std::vector<ObjectContent> ParseJsonDocument(const std::string& text, Encoding encoding);

}  // namespace kuv::tool

#endif  // KUV_TOOLS_JSON_READER_H_
