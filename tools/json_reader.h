// Reads the JSON that JsonDocumentWriter writes (see json_writer.h for its
// shape) back into objects, one at a time, their text encoded for the
// document: an import holds one object of the JSON at once, never all of
// it.
#ifndef KUV_TOOLS_JSON_READER_H_
#define KUV_TOOLS_JSON_READER_H_

#include <cstdint>
#include <istream>
#include <optional>
#include <vector>

#include "json_pull_parser.h"
#include "kuv/text.hpp"
#include "object_content.h"

namespace kuv::tool {

// Encodes the texts of an object read from JSON (UTF-8) for the document,
// in place, checking each where it stands: by the rules of a document
// rebuilt exactly for format version 2, by the stricter ones of objects
// built value by value for version 1. Throws a ToolError naming the
// object, table and field of a text the encoding or the format cannot
// hold.
void EncodeObjectTexts(ObjectContent& object, Encoding encoding, int formatVersion);

class JsonObjectReader {
 public:
  JsonObjectReader(std::istream& in, Encoding encoding);

  // The next object; nullopt after the last, once the whole JSON has been
  // read. Throws a ToolError for JSON that is invalid or not of this shape,
  // and for text that the encoding or the document format cannot hold; the
  // message names the object, table and field concerned. Version 2 texts
  // are checked by the rules of a document rebuilt exactly, version 1 texts
  // by the stricter ones of objects built value by value.
  std::optional<ObjectContent> Next();

  // 1 for JSON without a "formatVersion"; known once Next has returned.
  int formatVersion() const { return formatVersion_; }
  std::uint64_t bytesRead() const { return parser_.bytesRead(); }

 private:
  void ReadUntilObjects();
  void ReadAfterObjects();
  void ReadRootMember(const std::string& key);

  JsonPullParser parser_;
  Encoding encoding_;
  int formatVersion_ = 1;
  bool versionGiven_ = false;
  bool started_ = false;
  bool inObjects_ = false;
  std::size_t index_ = 0;  // of the next object in the array
  // Objects read before the version was known, kept as read (in UTF-8)
  // until the end of the JSON says by which rules they are encoded.
  std::vector<ObjectContent> waiting_;
  std::size_t nextWaiting_ = 0;
};

}  // namespace kuv::tool

#endif  // KUV_TOOLS_JSON_READER_H_
