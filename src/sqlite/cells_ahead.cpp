#include "sqlite/cells_ahead.h"

#include <unordered_map>

#include "kuv/table_rows.hpp"

namespace kuv::sqlite {

namespace {

// The kinds an object declares for the columns of one table name.
struct TableKinds {
  TableColumns layout;
  std::vector<ValueKind> kinds;  // of each of layout's columns
};

std::vector<CellAhead> ObjectCells(const BusinessObject& object) {
  std::vector<CellAhead> cells;
  std::unordered_map<std::string_view, TableKinds> tables;
  TableKinds* last = nullptr;
  std::string_view lastName;
  Cell cell;
  TableRowWalk walk(object);
  while (const std::optional<TableRow> row = walk.Next()) {
    if (!last || row->table != lastName) {
      last = &tables[row->table];
      lastName = row->table;
    }
    const std::vector<std::size_t>& local = last->layout.ColumnsOf(row->row);
    const std::vector<TableColumn>& columns = last->layout.columns();
    while (last->kinds.size() < columns.size()) {
      last->kinds.push_back(object.field_kind(row->table, columns[last->kinds.size()].field));
    }
    const Items<Value> items = row->row.values();
    for (std::size_t i = 0; i < items.size(); ++i) {
      CellAhead& ahead = cells.emplace_back();
      const ValueKind kind = last->kinds[local[i]];
      if (kind == ValueKind::kText || kind == ValueKind::kDate) continue;
      ReadCell(items[i].text, kind, &cell);
      ahead.kind = kind;
      if (!cell.readsAsKind) continue;
      ahead.type = cell.type;
      if (cell.type == Cell::Type::kReal) {
        ahead.real = cell.real;
      } else {
        ahead.integer = cell.integer;
      }
    }
  }
  return cells;
}

}  // namespace

DocumentCells ReadCellsAhead(const Document& document) {
  DocumentCells cells;
  for (const BusinessObject object : document.objects()) cells.push_back(ObjectCells(object));
  return cells;
}

bool TakeCell(const CellAhead& ahead, ValueKind kind, Cell* cell) {
  if (ahead.kind != kind || kind == ValueKind::kText) return false;
  cell->readsAsKind = ahead.type != Cell::Type::kText;
  cell->type = ahead.type;
  if (ahead.type == Cell::Type::kReal) {
    cell->real = ahead.real;
  } else {
    cell->integer = ahead.integer;
  }
  return true;
}

}  // namespace kuv::sqlite
