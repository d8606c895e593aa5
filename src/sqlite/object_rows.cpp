// The rows of an object's tables, each inserted into the SQL table of its
// table name as the walk meets it: one walk, whatever the tables.
#include <unordered_map>

#include "kuv/table_rows.hpp"
#include "sqlite/archive_writer.h"

namespace kuv {

using sqlite::ArchiveColumn;
using sqlite::ArchiveTable;
using sqlite::Cell;

namespace {

// The rows of one table name in one object.
struct ObjectTable {
  ArchiveTable* table = nullptr;
  TableColumns layout;
  std::vector<std::size_t> columns;  // the archive's column of each of layout's
};

// Where one value of a row goes.
struct Placed {
  std::size_t column = 0;
  bool asText = true;     // its text, rather than the cell
  std::string_view text;  // UTF-8
};

}  // namespace

std::int64_t SqliteArchive::Writer::WriteRows(std::int64_t objectId, const BusinessObject& object,
                                              const std::vector<sqlite::CellAhead>* cells) {
  std::unordered_map<std::string_view, ObjectTable> tables;
  ObjectTable* last = nullptr;
  std::string_view lastName;
  std::vector<Placed> placed;
  std::string parentSlot;
  std::int64_t values = 0;

  TableRowWalk walk(object);
  while (const std::optional<TableRow> row = walk.Next()) {
    ObjectTable* table = last;
    if (!last || row->table != lastName) {
      table = &tables[row->table];
      if (!table->table)
        table->table = &layout_->TableFor(Utf8Copy(row->table, object, row->table));
      last = table;
      lastName = row->table;
    }
    ArchiveTable& archived = *table->table;
    const std::vector<std::size_t>& local = table->layout.ColumnsOf(row->row);
    // Columns met for the first time take the kind the object declares.
    const std::vector<TableColumn>& columns = table->layout.columns();
    while (table->columns.size() < columns.size()) {
      const TableColumn& column = columns[table->columns.size()];
      const ValueKind kind = object.field_kind(row->table, column.field);
      table->columns.push_back(
          layout_->ValueColumn(archived, Utf8Copy(column.field, object, row->table, column.field),
                               column.occurrence, kind));
    }

    const Items<Value> items = row->row.values();
    const auto firstValue = static_cast<std::size_t>(values);  // the object's index of items[0]
    values += static_cast<std::int64_t>(items.size());
    // Sized before any view into them is taken.
    if (cells_.size() < items.size()) cells_.resize(items.size());
    if (textSlots_.size() < items.size()) textSlots_.resize(items.size());
    placed.resize(items.size());
    for (std::size_t i = 0; i < items.size(); ++i) {
      const Value value = items[i];
      Placed& place = placed[i];
      place.column = table->columns[local[i]];
      const ValueKind kind = archived.columns[place.column].kind;
      place.asText = true;
      if (kind != ValueKind::kText) {
        const std::size_t n = firstValue + i;
        if (!cells || n >= cells->size() || !sqlite::TakeCell((*cells)[n], kind, &cells_[i])) {
          sqlite::ReadCell(value.text, kind, &cells_[i]);
        }
        place.asText = !cells_[i].readsAsKind;
        // A text that does not read as the column's kind is kept beside it.
        if (place.asText) place.column = layout_->TextColumn(archived, place.column);
      }
      if (place.asText) {
        place.text = Utf8(value.text, &textSlots_[i], object, row->table, value.field);
      }
    }

    sqlite::Statement& insert = layout_->Insert(archived);
    insert.Integer(1, objectId);
    insert.Integer(2, row->id);
    if (row->parentId >= 0) {
      insert.Kept(3, Utf8(row->parentTable, &parentSlot, object, row->parentTable, {}));
      insert.Integer(4, row->parentId);
    }
    for (std::size_t i = 0; i < placed.size(); ++i) {
      const int parameter = sqlite::kIdentityColumns + 1 + static_cast<int>(placed[i].column);
      const Cell& cell = cells_[i];
      if (placed[i].asText) {
        insert.Kept(parameter, placed[i].text);
      } else if (cell.type == Cell::Type::kInteger) {
        insert.Integer(parameter, cell.integer);
      } else if (cell.type == Cell::Type::kReal) {
        insert.Real(parameter, cell.real);
      } else {
        insert.Kept(parameter, cell.text);
      }
    }
    insert.Step("write");
    insert.Reset();
  }
  return values;
}

}  // namespace kuv
