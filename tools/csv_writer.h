// Writes one table of an object as CSV (RFC 4180): a line of field names,
// a line of units, then one line per row, every line ended by CRLF.
#ifndef KUV_TOOLS_CSV_WRITER_H_
#define KUV_TOOLS_CSV_WRITER_H_

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "kuv/document.hpp"
#include "text_encoding.h"

namespace kuv::tool {

// The names of the tables of object, in the order they first appear.
std::vector<std::string> TableNames(const BusinessObject& object);

// The rows of every node of the table, wherever it nests, in document
// order. A field that occurs twice in one row gets a second column; the
// units are those the object declares. Throws a ToolError when the object
// has no such table or a text is not valid in the encoding.
void WriteCsvTable(std::ostream& out, const BusinessObject& object, std::string_view table,
                   Encoding encoding);

}  // namespace kuv::tool

#endif  // KUV_TOOLS_CSV_WRITER_H_
