// An object's tables as the view shows them: every row of a table,
// wherever it nests, one column per field, gathered in one walk of the
// object. Rows are numbered in the order the walk meets them, as CSV and
// the Python frames number them.
#ifndef KUV_TOOLS_VIEW_TABLES_H_
#define KUV_TOOLS_VIEW_TABLES_H_

#include <cstddef>
#include <string_view>
#include <vector>

#include "kuv/document.hpp"

namespace kuv::tool {

// A field's values down the rows of its table, and which occurrence of the
// field in a row they are (0 for the first; a field that occurs twice in
// a row gets a second column). The views point into the object.
struct ViewColumn {
  std::string_view field;
  int occurrence = 0;
  std::vector<std::string_view> cells;  // one per row; IsAbsent for a row without it
};

struct ViewTable {
  std::string_view name;
  std::size_t rows = 0;
  std::vector<ViewColumn> columns;  // in the order the rows first give them
  // For each row, the table and row that hold it (-1 and empty at the top
  // level); empty vectors when no row of the table nests.
  std::vector<std::string_view> parentTable;
  std::vector<long long> parentRow;
};

// The object's tables in the order the walk first meets them.
std::vector<ViewTable> CollectTables(const BusinessObject& object);

// Whether a cell stands for a row without that field (an empty value is
// not absent).
bool IsAbsent(std::string_view cell);

}  // namespace kuv::tool

#endif  // KUV_TOOLS_VIEW_TABLES_H_
