// Reads the JSON that JsonDocumentWriter writes (see json_writer.h for its
// shape) back into objects, their text encoded for the document.
#ifndef KUV_TOOLS_JSON_READER_H_
#define KUV_TOOLS_JSON_READER_H_

#include <string>
#include <vector>

#include "object_content.h"
#include "text_encoding.h"

namespace kuv::tool {

struct JsonDocument {
  // 1 for JSON without a "formatVersion".
  int formatVersion = 1;
  std::vector<ObjectContent> objects;
};

// Throws a ToolError for a file that cannot be read, JSON that is invalid
// or not of this shape, and text that the encoding or the document format
// cannot hold; the message names the object, table and field concerned.
// Version 2 texts are checked by the rules of a document rebuilt exactly,
// version 1 texts by the stricter ones of objects built value by value.
JsonDocument ReadJsonDocument(const std::string& path, Encoding encoding);

// The same for JSON text already in memory, which it frees once parsed.
JsonDocument ParseJsonDocument(std::string text, Encoding encoding);

}  // namespace kuv::tool

#endif  // KUV_TOOLS_JSON_READER_H_
