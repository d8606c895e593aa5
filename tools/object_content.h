// One business object as JSON describes it: header, definitions and
// content, all in the document's own 8-bit text.
#ifndef KUV_TOOLS_OBJECT_CONTENT_H_
#define KUV_TOOLS_OBJECT_CONTENT_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kuv::tool {

struct ObjectHeader {
  std::string id;
  std::string author;
  std::string version;
  std::string wellId;
  std::optional<std::string> date;  // nullopt when the JSON gives none
};

struct TableDefinitionText {
  std::string table;
  std::string parent;  // empty for a top-level table
};

struct FieldDefinitionText {
  std::string table;
  std::string field;
  std::string unit;
  std::string type;
};

// The content is kept flat, in document order, so that no walk over it
// needs more stack the deeper the tables nest: a table opens, its rows
// follow (each row's values, then the row's child tables), and it closes.
enum class ContentStep : std::uint8_t { kOpenTable, kBeginRow, kValue, kCloseTable };

struct ContentItem {
  ContentStep step;
  std::string name;  // the table of kOpenTable, the field of kValue
  std::string text;  // the value text of kValue
};

struct ObjectContent {
  ObjectHeader header;
  std::vector<TableDefinitionText> tables;
  std::vector<FieldDefinitionText> fields;
  std::vector<ContentItem> content;
};

}  // namespace kuv::tool

#endif  // KUV_TOOLS_OBJECT_CONTENT_H_
