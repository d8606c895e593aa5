// Builds business objects from the objects that JSON describes, in one of
// two ways by the JSON's format version.
#ifndef KUV_TOOLS_OBJECT_IMPORT_H_
#define KUV_TOOLS_OBJECT_IMPORT_H_

#include <functional>
#include <set>
#include <string>
#include <string_view>

#include "kuv/document.hpp"
#include "kuv/text.hpp"
#include "object_content.h"

namespace kuv::tool {

// "object 'ID', table 'T', field 'F'" for messages; an empty table or field
// is left out.
std::string Where(std::string_view id, Encoding encoding, std::string_view table = {},
                  std::string_view field = {});

// Format version 2: appends the object exactly as given, its Date and its
// definitions (those alone, in whatever order) included, and its tables,
// rows and values as the JSON nests them. Throws a ToolError naming the
// object, table and field of what it cannot take.
void ImportExactly(Document& document, const ObjectContent& object, Encoding encoding);

// Format version 1: appends the object as the C interface builds one: its
// Date stamped now, the template's definitions for its ID first, the
// JSON's added, and the values put one by one where the declarations place
// them. Throws a ToolError when a definition conflicts with the template's,
// a value has no place, or what was built is not what the JSON describes.
void ImportPlaced(Document& document, const Template& definitions, const ObjectContent& object,
                  Encoding encoding);

// What kuv import does with each object it reads: builds it in a document
// of its own by its JSON's format version, refuses it unless it would read
// back as built, and writes it.
class ObjectImporter {
 public:
  // definitions gives the template's definitions, asked for when the first
  // object of format version 1 needs them; what it returns must outlive
  // the importer.
  ObjectImporter(Encoding encoding, std::function<const Template&()> definitions);

  // Throws a ToolError naming the object, table and field of what cannot
  // be taken, before anything of the object is written.
  void Import(const ObjectContent& object, int formatVersion, DocumentWriter& writer);

 private:
  Encoding encoding_;
  std::function<const Template&()> definitions_;
  const Template* placedOn_ = nullptr;
  std::set<std::string> placedIds_;  // the IDs of the objects built value by value
};

}  // namespace kuv::tool

#endif  // KUV_TOOLS_OBJECT_IMPORT_H_
