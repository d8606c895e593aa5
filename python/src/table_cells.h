// The rows of a business object's tables as columns of text cells,
// gathered in one walk of the object's tree, laid out as the library lays
// tables out as rows (kuv/table_rows.hpp). Cells are views into the
// document: they live as long as it does, unchanged.
#ifndef KUV_PYTHON_TABLE_CELLS_H_
#define KUV_PYTHON_TABLE_CELLS_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "kuv/document.hpp"
#include "kuv/table_rows.hpp"

namespace kuv::python {

// A value text; a view without data stands for "no value in this row".
using Cell = std::string_view;
inline bool IsMissing(Cell cell) { return cell.data() == nullptr; }

struct CellColumn {
  std::string field;
  // 0 for a field's first value in a row, 1 for its second, and so on.
  int occurrence = 0;
  // The declaration in the object's data description, when there is one.
  bool declared = false;
  std::string unit;
  std::string type;
  // Several objects declared the field with types of different kinds.
  bool mixed_types = false;
  std::vector<Cell> cells;
};

// Every row of the tables of one name, wherever they nest, with the row
// keys of kuv::TableRow: row_id, and parent_row_id, the key of the row
// holding the row's table node among the rows of parent_table (-1 and ""
// at the top level).
struct TableCells {
  std::string name;
  std::vector<CellColumn> columns;
  std::vector<std::int64_t> row_id;
  std::vector<std::int64_t> parent_row_id;
  std::vector<Cell> parent_table;  // missing at the top level

  std::size_t rows() const { return row_id.size(); }
  // The column of a field's n-th value in a row, or nullptr.
  CellColumn* Find(std::string_view field, int occurrence);
  const CellColumn* Find(std::string_view field, int occurrence) const;
  // Adds the column, empty in every row, when it is missing.
  CellColumn& FindOrAdd(std::string_view field, int occurrence);
  // Gives every column a cell for every row.
  void PadColumns();
};

// The tables of the object named in `only` (every table when it is empty),
// in the order in which their first rows appear in the tree; a table that
// has no row is left out, but for the one table `only` names alone, which
// comes with no rows when it has a node. Columns come in the order their
// fields first appear, then the declared fields that hold no value. Runs
// without Python: the caller keeps the document unchanged meanwhile.
std::vector<TableCells> GatherTables(const BusinessObject& object,
                                     const std::vector<std::string>& only);

// A table with no rows and a column for each field the object declares.
TableCells DeclaredTable(const BusinessObject& object, std::string_view table);

// The rows of one table in the numbering of TableCells::row_id.
std::vector<Row> RowsOfTable(const BusinessObject& object, std::string_view table);

// Tables of one name from many objects joined into one: for each name, its
// pieces in order, their columns matched by field and occurrence. Plan
// makes the joined tables' columns, empty; JoinIdentity and JoinColumn
// fill one part each, so that different parts may be filled on different
// threads.
class TableJoin {
 public:
  explicit TableJoin(std::vector<std::vector<const TableCells*>> pieces);

  std::vector<TableCells>& tables() { return joined_; }
  // The row keys and parents of table t.
  void JoinIdentity(std::size_t t);
  // The cells of column c of table t.
  void JoinColumn(std::size_t t, std::size_t c);

 private:
  std::vector<std::vector<const TableCells*>> pieces_;
  std::vector<std::vector<std::size_t>> offsets_;  // of each piece's rows
  std::vector<std::size_t> rows_;
  std::vector<TableCells> joined_;
};
}  // namespace kuv::python

#endif  // KUV_PYTHON_TABLE_CELLS_H_
