#include "table_cells.h"

#include <algorithm>
#include <memory>
#include <unordered_map>

#include "typed_cells.h"

namespace kuv::python {

namespace {

void Declare(CellColumn& column, const BusinessObject& object, std::string_view table) {
  if (std::optional<FieldDefinition> definition = object.field_definition(table, column.field)) {
    column.declared = true;
    column.unit.assign(definition->unit);
    column.type.assign(definition->type);
  }
}

void AddDeclaredColumns(const BusinessObject& object, TableCells& table) {
  for (const FieldDefinition& definition : object.field_definitions()) {
    if (definition.table != table.name || table.Find(definition.field, 0) != nullptr) continue;
    CellColumn& column = table.FindOrAdd(definition.field, 0);
    column.declared = true;
    column.unit.assign(definition.unit);
    column.type.assign(definition.type);
  }
  table.PadColumns();
}

// Gathers the rows of one table name. Rows mostly repeat the fields of the
// row before in the same order, so a row's values are first matched by
// position against the last row's columns.
class TableBuilder {
 public:
  explicit TableBuilder(std::string_view name) { table_.name.assign(name); }

  void AddRow(Row row, std::int64_t id, std::int64_t parent_id, std::string_view parent_name) {
    const std::size_t index = table_.rows();
    table_.row_id.push_back(id);
    table_.parent_row_id.push_back(parent_id);
    table_.parent_table.push_back(parent_id < 0 ? Cell() : parent_name);
    const Items<Value> values = row.values();
    for (std::size_t i = 0; i < values.size(); ++i) {
      const Value value = values[i];
      std::size_t column;
      if (i < last_row_.size() && last_row_[i].field.data() == value.field.data() &&
          last_row_[i].field.size() == value.field.size()) {
        column = last_row_[i].column;
      } else {
        int occurrence = 0;
        for (std::size_t j = 0; j < i; ++j) occurrence += values[j].field == value.field;
        column = ColumnFor(value.field, occurrence);
        last_row_.resize(i);
        last_row_.push_back({value.field, column});
      }
      std::vector<Cell>& cells = table_.columns[column].cells;
      cells.resize(index);  // no value in the rows before
      cells.push_back(value.text);
    }
  }

  TableCells Finish(const BusinessObject& object) {
    for (CellColumn& column : table_.columns) Declare(column, object, table_.name);
    AddDeclaredColumns(object, table_);
    return std::move(table_);
  }

 private:
  struct Seen {
    std::string_view field;
    std::size_t column;
  };

  std::size_t ColumnFor(std::string_view field, int occurrence) {
    std::string key(field);
    key.push_back('\0');
    key.append(std::to_string(occurrence));
    const auto [at, added] = index_.emplace(std::move(key), table_.columns.size());
    if (added) {
      CellColumn column;
      column.field.assign(field);
      column.occurrence = occurrence;
      table_.columns.push_back(std::move(column));
    }
    return at->second;
  }

  TableCells table_;
  std::vector<Seen> last_row_;
  std::unordered_map<std::string, std::size_t> index_;
};

// One table node still being walked: the rows not yet visited, and where
// its rows are counted and gathered.
struct PendingTable {
  Table table;
  std::size_t next_row;
  std::int64_t parent_row_id;
  std::string_view parent_name;
  std::int64_t* counter;
  TableBuilder* builder;
};

}  // namespace

CellColumn* TableCells::Find(std::string_view field, int occurrence) {
  for (CellColumn& column : columns) {
    if (column.occurrence == occurrence && column.field == field) return &column;
  }
  return nullptr;
}

const CellColumn* TableCells::Find(std::string_view field, int occurrence) const {
  for (const CellColumn& column : columns) {
    if (column.occurrence == occurrence && column.field == field) return &column;
  }
  return nullptr;
}

CellColumn& TableCells::FindOrAdd(std::string_view field, int occurrence) {
  if (CellColumn* column = Find(field, occurrence)) return *column;
  CellColumn& column = columns.emplace_back();
  column.field.assign(field);
  column.occurrence = occurrence;
  return column;
}

void TableCells::PadColumns() {
  for (CellColumn& column : columns) column.cells.resize(rows());
}

std::vector<TableCells> GatherTables(const BusinessObject& object,
                                     const std::vector<std::string>& only) {
  std::vector<std::unique_ptr<TableBuilder>> builders;
  std::unordered_map<std::string_view, TableBuilder*> builder_of;
  std::unordered_map<std::string_view, std::int64_t> rows_of;
  const auto builder_for = [&](std::string_view name) -> TableBuilder* {
    if (!only.empty() && std::find(only.begin(), only.end(), name) == only.end()) return nullptr;
    TableBuilder*& builder = builder_of[name];
    if (builder == nullptr) builder = builders.emplace_back(new TableBuilder(name)).get();
    return builder;
  };

  // Depth first, in document order: a row, then its child tables, then the
  // next row. The stack holds the tables under way, the next one on top.
  std::vector<PendingTable> stack;
  const auto push_tables = [&](const Items<Table>& tables, std::int64_t parent_id,
                               std::string_view parent_name) {
    for (std::size_t i = tables.size(); i-- > 0;) {
      const Table table = tables[i];
      stack.push_back(PendingTable{table, 0, parent_id, parent_name, &rows_of[table.name()],
                                   builder_for(table.name())});
    }
  };
  push_tables(object.tables(), -1, std::string_view());
  while (!stack.empty()) {
    PendingTable& top = stack.back();
    const Items<Row> rows = top.table.rows();
    if (top.next_row >= rows.size()) {
      stack.pop_back();
      continue;
    }
    const Row row = rows[top.next_row++];
    const std::int64_t id = (*top.counter)++;
    const std::string_view name = top.table.name();
    if (top.builder != nullptr) top.builder->AddRow(row, id, top.parent_row_id, top.parent_name);
    push_tables(row.child_tables(), id, name);  // top is not used after this
  }

  std::vector<TableCells> tables;
  tables.reserve(builders.size());
  for (auto& builder : builders) tables.push_back(builder->Finish(object));
  return tables;
}

TableCells DeclaredTable(const BusinessObject& object, std::string_view table) {
  TableCells cells;
  cells.name.assign(table);
  AddDeclaredColumns(object, cells);
  return cells;
}

std::vector<Row> RowsOfTable(const BusinessObject& object, std::string_view table) {
  std::vector<Row> found;
  std::vector<std::pair<Table, std::size_t>> stack;
  const auto push_tables = [&](const Items<Table>& tables) {
    for (std::size_t i = tables.size(); i-- > 0;) stack.emplace_back(tables[i], 0);
  };
  push_tables(object.tables());
  while (!stack.empty()) {
    auto& [node, next] = stack.back();
    const Items<Row> rows = node.rows();
    if (next >= rows.size()) {
      stack.pop_back();
      continue;
    }
    const Row row = rows[next++];
    if (node.name() == table) found.push_back(row);
    push_tables(row.child_tables());
  }
  return found;
}

TableJoin::TableJoin(std::vector<std::vector<const TableCells*>> pieces)
    : pieces_(std::move(pieces)),
      offsets_(pieces_.size()),
      rows_(pieces_.size(), 0),
      joined_(pieces_.size()) {
  for (std::size_t t = 0; t < pieces_.size(); ++t) {
    TableCells& into = joined_[t];
    into.name = pieces_[t].front()->name;
    for (const TableCells* piece : pieces_[t]) {
      offsets_[t].push_back(rows_[t]);
      rows_[t] += piece->rows();
      for (const CellColumn& column : piece->columns) {
        CellColumn& target = into.FindOrAdd(column.field, column.occurrence);
        if (!column.declared) continue;
        if (!target.declared) {
          target.declared = true;
          target.unit = column.unit;
          target.type = column.type;
        } else if (KindOfType(target.type) != KindOfType(column.type)) {
          target.mixed_types = true;
        }
      }
    }
  }
}

void TableJoin::JoinIdentity(std::size_t t) {
  TableCells& into = joined_[t];
  into.row_id.reserve(rows_[t]);
  into.parent_row_id.reserve(rows_[t]);
  into.parent_table.reserve(rows_[t]);
  for (const TableCells* piece : pieces_[t]) {
    into.row_id.insert(into.row_id.end(), piece->row_id.begin(), piece->row_id.end());
    into.parent_row_id.insert(into.parent_row_id.end(), piece->parent_row_id.begin(),
                              piece->parent_row_id.end());
    into.parent_table.insert(into.parent_table.end(), piece->parent_table.begin(),
                             piece->parent_table.end());
  }
}

void TableJoin::JoinColumn(std::size_t t, std::size_t c) {
  CellColumn& column = joined_[t].columns[c];
  column.cells.assign(rows_[t], Cell());
  for (std::size_t k = 0; k < pieces_[t].size(); ++k) {
    const CellColumn* source = pieces_[t][k]->Find(column.field, column.occurrence);
    if (source == nullptr) continue;
    std::copy(source->cells.begin(), source->cells.end(),
              column.cells.begin() + static_cast<std::ptrdiff_t>(offsets_[t][k]));
  }
}

}  // namespace kuv::python
