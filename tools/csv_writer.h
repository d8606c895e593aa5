// Writes one table of an object as CSV (RFC 4180): a line of column names,
// then one line per row, every line ended by CRLF, so that any CSV reader
// takes it as it is. Units go into the names or a line of their own only
// on request.
#ifndef KUV_TOOLS_CSV_WRITER_H_
#define KUV_TOOLS_CSV_WRITER_H_

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "kuv/document.hpp"
#include "kuv/text.hpp"

namespace kuv::tool {

// Appends text to line as one CSV cell: quoted, quotes doubled, when it
// holds a comma, a quote or a line break.
void AppendCsvCell(std::string* line, std::string_view text);

// Ends the line of a row: for a row of a nested table, the table and id of
// the row that holds it (two empty cells at the top), then each cell, then
// CR LF.
void AppendCsvRowEnd(std::string* line, bool nested, std::string_view parentTable,
                     std::int64_t parentId, const std::vector<std::string>& cells);

// The names of the tables of object, in the order they first appear.
std::vector<std::string> TableNames(const BusinessObject& object);

// Where the units the object declares go: nowhere, after each name in
// the header ("OD [in]"), or into a line of their own after it.
enum class CsvUnits { kNone, kHeader, kRow };

// The rows of every node of the table, wherever it nests, in document
// order. The first column, row_id, numbers them from 0 in that order, as
// the Python frames do; when rows nest in rows of another table, the
// columns parent_table and parent_row_id name the row that holds each one
// (empty for a row at the top). A field that occurs twice in one row gets
// a second column. Throws a ToolError when the object has no such table
// or a text is not valid in the encoding.
void WriteCsvTable(std::ostream& out, const BusinessObject& object, std::string_view table,
                   Encoding encoding, CsvUnits units = CsvUnits::kNone);

}  // namespace kuv::tool

#endif  // KUV_TOOLS_CSV_WRITER_H_
