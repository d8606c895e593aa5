// kuv: an object's tables as rows, as a table of a spreadsheet or a frame
// holds them. A table name may have many nodes in an object's tree (one
// under each row of its parent table); its rows are all the rows of all of
// them, numbered from 0 in document order (depth first: a row, then the
// tables under it, then the next row). Each row knows the row of the
// parent table that holds it. Columns are the table's fields in the order
// they first appear; a field that occurs twice in one row gets a second
// column. CSV export, the Python package's frames and databases all lay
// tables out this way.
#ifndef KUV_TABLE_ROWS_HPP_
#define KUV_TABLE_ROWS_HPP_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "kuv/document.hpp"

namespace kuv {

// One row of a table, with where it stands.
struct TableRow {
  std::string_view table;        // its table's name
  std::int64_t id = 0;           // among the rows of all nodes of that name
  std::string_view parentTable;  // the table whose row holds it; "" at the top
  std::int64_t parentId = -1;    // that row's id; -1 at the top
  Row row;
};

// Walks every row of an object's tables, or of the tables of one name, in
// document order, without recursion. Views and the row are the object's:
// the object must not change while the walk goes on.
class KUV_DOCUMENT_API TableRowWalk {
 public:
  explicit TableRowWalk(const BusinessObject& object);
  // The rows of the tables named table alone (the others are walked past
  // but not handed out, and still numbered).
  TableRowWalk(const BusinessObject& object, std::string_view table);
  ~TableRowWalk();
  TableRowWalk(const TableRowWalk&) = delete;
  TableRowWalk& operator=(const TableRowWalk&) = delete;

  // The next row; nullopt after the last.
  std::optional<TableRow> Next();
  // Whether a table of the name (when one was given) was met so far: one
  // without rows too.
  bool met() const;

 private:
  class Walk;
  std::unique_ptr<Walk> walk_;
};

// A column: a field, and which of its values in a row it holds (0 for the
// first, 1 for the second...).
struct TableColumn {
  std::string_view field;
  int occurrence = 0;
};

// The columns of one table name, gathered row by row: new fields become
// new columns in the order they appear. Rows mostly repeat the fields of
// the row before, and are matched against it first.
class KUV_DOCUMENT_API TableColumns {
 public:
  // The column of each value of row, in order, adding the columns it lacks.
  // The names are views into the row's document and must outlive this.
  const std::vector<std::size_t>& ColumnsOf(const Row& row);
  const std::vector<TableColumn>& columns() const { return columns_; }
  // The column of a field's n-th value in a row, or columns().size().
  std::size_t Find(std::string_view field, int occurrence) const;

 private:
  std::size_t ColumnFor(std::string_view field, int occurrence);
  std::vector<TableColumn> columns_;
  std::vector<std::size_t> ofRow_;         // the last row's answer
  std::vector<std::string_view> lastRow_;  // the last row's fields
};

}  // namespace kuv

#endif  // KUV_TABLE_ROWS_HPP_
