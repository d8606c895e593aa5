#include "table_cells.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <unordered_map>

#include "kuv/values.hpp"

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

// Gathers the rows of one table name, its columns as the library lays
// them out.
class TableBuilder {
 public:
  explicit TableBuilder(std::string_view name) { table_.name.assign(name); }

  void AddRow(const TableRow& row) {
    const std::size_t index = table_.rows();
    table_.row_id.push_back(row.id);
    table_.parent_row_id.push_back(row.parentId);
    table_.parent_table.push_back(row.parentId < 0 ? Cell() : row.parentTable);
    const std::vector<std::size_t>& columns = columns_.ColumnsOf(row.row);
    const Items<Value> values = row.row.values();
    for (std::size_t i = 0; i < columns.size(); ++i) {
      while (table_.columns.size() <= columns[i]) {  // the columns this row added
        const TableColumn& added = columns_.columns()[table_.columns.size()];
        CellColumn& column = table_.columns.emplace_back();
        column.field.assign(added.field);
        column.occurrence = added.occurrence;
      }
      std::vector<Cell>& cells = table_.columns[columns[i]].cells;
      cells.resize(index);  // no value in the rows before
      cells.push_back(values[i].text);
    }
  }

  TableCells Finish(const BusinessObject& object) {
    for (CellColumn& column : table_.columns) Declare(column, object, table_.name);
    AddDeclaredColumns(object, table_);
    return std::move(table_);
  }

 private:
  TableCells table_;
  TableColumns columns_;
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
  const auto wanted = [&](std::string_view name) {
    return only.empty() || std::find(only.begin(), only.end(), name) != only.end();
  };
  std::optional<TableRowWalk> walk;
  if (only.size() == 1) {
    walk.emplace(object, only.front());
  } else {
    walk.emplace(object);
  }
  while (const std::optional<TableRow> row = walk->Next()) {
    TableBuilder*& builder = builder_of[row->table];
    if (builder == nullptr) {
      if (!wanted(row->table)) continue;
      builder = builders.emplace_back(new TableBuilder(row->table)).get();
    }
    builder->AddRow(*row);
  }
  if (only.size() == 1 && builders.empty() && walk->met()) {
    builders.emplace_back(new TableBuilder(only.front()));
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
  TableRowWalk walk(object, table);
  while (const std::optional<TableRow> row = walk.Next()) found.push_back(row->row);
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
