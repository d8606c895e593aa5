// Where the rows of each table name go: its SQL table, and the column of
// each field, made when first needed and recorded in kuv_tables and
// kuv_columns, so that an archive opened again is laid out as before.
#ifndef KUV_SQLITE_ARCHIVE_LAYOUT_H_
#define KUV_SQLITE_ARCHIVE_LAYOUT_H_

#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "kuv/values.hpp"
#include "sqlite/sql_names.h"
#include "sqlite/sqlite_handles.h"

namespace kuv::sqlite {

constexpr std::size_t kNoColumn = static_cast<std::size_t>(-1);

// The four columns that every table of rows begins with.
constexpr int kIdentityColumns = 4;

struct ArchiveColumn {
  std::string name;   // in SQL
  std::string field;  // UTF-8
  int occurrence = 0;
  ValueKind kind = ValueKind::kText;
  bool holdsText = false;  // the texts of the field's values that do not read as its kind
  std::size_t textColumn = kNoColumn;  // of a value column: its text column, once made
};

struct ArchiveTable {
  std::string tableName;               // UTF-8
  std::string name;                    // in SQL
  std::vector<ArchiveColumn> columns;  // after the identity columns, in order
  std::map<std::pair<std::string, int>, std::size_t, std::less<>> valueColumns;
  NameSet columnNames;
  std::unique_ptr<Statement> insert;  // made again once a column is added
};

class ArchiveLayout {
 public:
  // Reads the layout the archive records.
  explicit ArchiveLayout(Connection& connection);

  // The SQL table of a table name, made when missing.
  ArchiveTable& TableFor(std::string_view tableName);
  // The value column of a field's occurrence, made when missing with a
  // type for kind.
  std::size_t ValueColumn(ArchiveTable& table, std::string_view field, int occurrence,
                          ValueKind kind);
  // The text column beside a value column, made when missing.
  std::size_t TextColumn(ArchiveTable& table, std::size_t valueColumn);
  // Inserts a row: parameters 1 to 4 the identity columns, 5 on each
  // column in order.
  Statement& Insert(ArchiveTable& table);

  template <typename Visit>
  void ForEachTable(Visit&& visit) const {
    for (const auto& [name, table] : tables_) visit(*table);
  }

  // Reads the layout again, after a transaction that made tables or
  // columns was undone.
  void Reload();

 private:
  void Load();
  std::size_t AddColumn(ArchiveTable& table, ArchiveColumn column);

  Connection& connection_;
  std::map<std::string, std::unique_ptr<ArchiveTable>, std::less<>> tables_;  // by table name
  NameSet tableNames_{true};
};

}  // namespace kuv::sqlite

#endif  // KUV_SQLITE_ARCHIVE_LAYOUT_H_
