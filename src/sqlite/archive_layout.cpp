#include "sqlite/archive_layout.h"

#include <string>

#include "sqlite/archive_schema.h"

namespace kuv::sqlite {

namespace {

constexpr const char* kIdentityNames[kIdentityColumns] = {"object", "row_id", "parent_table",
                                                          "parent_row_id"};

const char* SqlType(ValueKind kind) {
  switch (kind) {
    case ValueKind::kFloat:
      return "REAL";
    case ValueKind::kInteger:
    case ValueKind::kBoolean:
      return "INTEGER";
    default:
      return "TEXT";  // dates as ISO 8601, and text
  }
}

ValueKind KindNamed(const std::string& name) {
  for (const ValueKind kind :
       {ValueKind::kFloat, ValueKind::kInteger, ValueKind::kBoolean, ValueKind::kDate}) {
    if (name == NameOf(kind)) return kind;
  }
  return ValueKind::kText;
}

std::unique_ptr<ArchiveTable> NewTable(std::string tableName, std::string name) {
  auto table = std::make_unique<ArchiveTable>();
  table->tableName = std::move(tableName);
  table->name = std::move(name);
  for (const char* identity : kIdentityNames) table->columnNames.Add(identity);
  return table;
}

}  // namespace

ArchiveLayout::ArchiveLayout(Connection& connection) : connection_(connection) { Load(); }

void ArchiveLayout::Reload() {
  tables_.clear();
  tableNames_ = NameSet(true);
  Load();
}

void ArchiveLayout::Load() {
  for (const char* own : kArchiveTables) tableNames_.Add(own);
  Statement names(connection_, "SELECT name FROM sqlite_master");
  while (names.Step("read")) tableNames_.Add(names.TextAt(0));

  std::map<std::string, ArchiveTable*> bySqlName;
  Statement tables(connection_, "SELECT table_name, sql_table FROM kuv_tables");
  while (tables.Step("read")) {
    auto table = NewTable(tables.TextAt(0), tables.TextAt(1));
    bySqlName[table->name] = table.get();
    tables_[table->tableName] = std::move(table);
  }
  Statement columns(connection_,
                    "SELECT sql_table, sql_column, field, occurrence, kind, holds FROM kuv_columns "
                    "ORDER BY sql_table, position");
  while (columns.Step("read")) {
    const auto found = bySqlName.find(columns.TextAt(0));
    if (found == bySqlName.end()) continue;
    ArchiveTable& table = *found->second;
    ArchiveColumn column;
    column.name = columns.TextAt(1);
    column.field = columns.TextAt(2);
    column.occurrence = static_cast<int>(columns.IntegerAt(3));
    column.kind = KindNamed(columns.TextAt(4));
    column.holdsText = columns.TextAt(5) == "text";
    table.columnNames.Add(column.name);
    const std::size_t index = table.columns.size();
    const auto key = std::pair(column.field, column.occurrence);
    if (column.holdsText) {
      const auto value = table.valueColumns.find(key);
      if (value != table.valueColumns.end()) table.columns[value->second].textColumn = index;
    } else {
      table.valueColumns.emplace(key, index);
    }
    table.columns.push_back(std::move(column));
  }
}

ArchiveTable& ArchiveLayout::TableFor(std::string_view tableName) {
  if (const auto found = tables_.find(tableName); found != tables_.end()) return *found->second;
  auto table = NewTable(std::string(tableName), tableNames_.Claim(tableName));
  const std::string create = "CREATE TABLE " + Quoted(table->name) +
                             " (\"object\" INTEGER NOT NULL REFERENCES kuv_objects (object), "
                             "\"row_id\" INTEGER NOT NULL, \"parent_table\" TEXT, "
                             "\"parent_row_id\" INTEGER, PRIMARY KEY (\"object\", \"row_id\")) "
                             "WITHOUT ROWID";
  connection_.Execute(create.c_str(), "write");
  Statement record(connection_, "INSERT INTO kuv_tables (table_name, sql_table) VALUES (?, ?)");
  record.Kept(1, table->tableName);
  record.Kept(2, table->name);
  record.Step("write");
  ArchiveTable& made = *table;
  tables_.emplace(made.tableName, std::move(table));
  return made;
}

std::size_t ArchiveLayout::ValueColumn(ArchiveTable& table, std::string_view field, int occurrence,
                                       ValueKind kind) {
  const auto found = table.valueColumns.find(std::pair(std::string(field), occurrence));
  if (found != table.valueColumns.end()) return found->second;
  ArchiveColumn column;
  column.field = std::string(field);
  column.occurrence = occurrence;
  column.kind = kind;
  // A field's second value in a row is "FIELD.1", as frames name it.
  std::string name = column.field;
  if (occurrence > 0) name += "." + std::to_string(occurrence);
  column.name = table.columnNames.Claim(name);
  const std::size_t index = AddColumn(table, std::move(column));
  table.valueColumns.emplace(std::pair(std::string(field), occurrence), index);
  return index;
}

std::size_t ArchiveLayout::TextColumn(ArchiveTable& table, std::size_t valueColumn) {
  if (table.columns[valueColumn].textColumn != kNoColumn) {
    return table.columns[valueColumn].textColumn;
  }
  ArchiveColumn column;
  column.field = table.columns[valueColumn].field;
  column.occurrence = table.columns[valueColumn].occurrence;
  column.kind = table.columns[valueColumn].kind;
  column.holdsText = true;
  column.name = table.columnNames.Claim(table.columns[valueColumn].name + "_text");
  const std::size_t index = AddColumn(table, std::move(column));
  table.columns[valueColumn].textColumn = index;
  return index;
}

std::size_t ArchiveLayout::AddColumn(ArchiveTable& table, ArchiveColumn column) {
  const std::string alter = "ALTER TABLE " + Quoted(table.name) + " ADD COLUMN " +
                            Quoted(column.name) + " " +
                            (column.holdsText ? "TEXT" : SqlType(column.kind));
  table.insert.reset();  // its column list is out of date
  connection_.Execute(alter.c_str(), "write");
  Statement record(connection_,
                   "INSERT INTO kuv_columns (sql_table, position, sql_column, field, occurrence, "
                   "kind, holds) VALUES (?, ?, ?, ?, ?, ?, ?)");
  record.Kept(1, table.name);
  record.Integer(2, static_cast<std::int64_t>(table.columns.size()));
  record.Kept(3, column.name);
  record.Kept(4, column.field);
  record.Integer(5, column.occurrence);
  record.Kept(6, NameOf(column.kind));
  record.Kept(7, column.holdsText ? "text" : "value");
  record.Step("write");
  table.columns.push_back(std::move(column));
  return table.columns.size() - 1;
}

Statement& ArchiveLayout::Insert(ArchiveTable& table) {
  if (table.insert) return *table.insert;
  std::string names;
  std::string parameters;
  for (const char* identity : kIdentityNames) {
    names += (names.empty() ? "" : ", ") + Quoted(identity);
    parameters += parameters.empty() ? "?" : ", ?";
  }
  for (const ArchiveColumn& column : table.columns) {
    names += ", " + Quoted(column.name);
    parameters += ", ?";
  }
  table.insert =
      std::make_unique<Statement>(connection_, "INSERT INTO " + Quoted(table.name) + " (" + names +
                                                   ") VALUES (" + parameters + ")");
  return *table.insert;
}

}  // namespace kuv::sqlite
