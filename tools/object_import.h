// Builds business objects from the objects that JSON describes, in one of
// two ways by the JSON's format version.
#ifndef KUV_TOOLS_OBJECT_IMPORT_H_
#define KUV_TOOLS_OBJECT_IMPORT_H_

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

}  // namespace kuv::tool

#endif  // KUV_TOOLS_OBJECT_IMPORT_H_
