// Tables as rows: one walk of an object's tree, depth first with a stack of
// its own, numbering every table's rows as it meets them.
#include "kuv/table_rows.hpp"

#include <string>
#include <unordered_map>

namespace kuv {

class TableRowWalk::Walk {
 public:
  Walk(const BusinessObject& object, std::optional<std::string_view> only) : only_(only) {
    PushTables(object.tables(), {}, -1);
  }

  std::optional<TableRow> Next() {
    while (!stack_.empty()) {
      Pending& top = stack_.back();
      if (top.next == top.rows.size()) {
        stack_.pop_back();
        continue;
      }
      const Row row = top.rows[top.next++];
      const std::int64_t id = (*top.counter)++;
      const std::string_view table = top.name;
      const std::string_view parentTable = top.parentTable;
      const std::int64_t parentId = top.parentId;
      // Its child tables come before the next row of its own table.
      PushTables(row.child_tables(), table, id);
      if (!only_ || table == *only_) return TableRow{table, id, parentTable, parentId, row};
    }
    return std::nullopt;
  }

  bool met() const { return met_; }

 private:
  struct Pending {
    std::string_view name;
    Items<Row> rows;
    std::size_t next;
    std::string_view parentTable;
    std::int64_t parentId;
    std::int64_t* counter;  // of the rows of all tables of this name
  };

  void PushTables(const Items<Table>& tables, std::string_view parentTable, std::int64_t parentId) {
    // Pushed last to first, so that the first comes off the stack first.
    for (std::size_t i = tables.size(); i > 0; --i) {
      const Table table = tables[i - 1];
      const std::string_view name = table.name();
      met_ = met_ || !only_ || name == *only_;
      stack_.push_back({name, table.rows(), 0, parentTable, parentId, &counters_[name]});
    }
  }

  std::optional<std::string_view> only_;
  std::vector<Pending> stack_;
  std::unordered_map<std::string_view, std::int64_t> counters_;  // nodes of one name share one
  bool met_ = false;
};

TableRowWalk::TableRowWalk(const BusinessObject& object)
    : walk_(std::make_unique<Walk>(object, std::nullopt)) {}

TableRowWalk::TableRowWalk(const BusinessObject& object, std::string_view table)
    : walk_(std::make_unique<Walk>(object, table)) {}

TableRowWalk::~TableRowWalk() = default;

std::optional<TableRow> TableRowWalk::Next() { return walk_->Next(); }

bool TableRowWalk::met() const { return walk_->met(); }

const std::vector<std::size_t>& TableColumns::ColumnsOf(const Row& row) {
  const Items<Value> values = row.values();
  for (std::size_t i = 0; i < values.size(); ++i) {
    const std::string_view field = values[i].field;
    // Names of one table are stored once, so the same field of the row
    // before has the same address.
    if (i < lastRow_.size() && lastRow_[i].data() == field.data() &&
        lastRow_[i].size() == field.size()) {
      continue;
    }
    int occurrence = 0;
    for (std::size_t j = 0; j < i; ++j) occurrence += values[j].field == field;
    lastRow_.resize(i);
    ofRow_.resize(i);
    lastRow_.push_back(field);
    ofRow_.push_back(ColumnFor(field, occurrence));
  }
  lastRow_.resize(values.size());
  ofRow_.resize(values.size());
  return ofRow_;
}

std::size_t TableColumns::Find(std::string_view field, int occurrence) const {
  for (std::size_t i = 0; i < columns_.size(); ++i) {
    if (columns_[i].occurrence == occurrence && columns_[i].field == field) return i;
  }
  return columns_.size();
}

std::size_t TableColumns::ColumnFor(std::string_view field, int occurrence) {
  const std::size_t found = Find(field, occurrence);
  if (found == columns_.size()) columns_.push_back({field, occurrence});
  return found;
}

}  // namespace kuv
