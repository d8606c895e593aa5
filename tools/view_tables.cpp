#include "view_tables.h"

#include <memory>
#include <unordered_map>

#include "content_walk.h"

namespace kuv::tool {

namespace {

// A cell of a row without the field: a view of its own, told apart from
// any text of the document by where it points.
const char kAbsentMark = '\0';
const std::string_view kAbsent(&kAbsentMark, 0);

// Where the values of one field of a table go: a column for each
// occurrence in a row.
struct FieldSlot {
  std::string_view field;
  std::vector<std::size_t> columns;                // by occurrence
  std::size_t row = static_cast<std::size_t>(-1);  // the row its occurrences were last counted in
  int seen = 0;                                    // occurrences in that row
};

class TableBuilder {
 public:
  explicit TableBuilder(std::string_view name) { table_.name = name; }

  // Returns the new row's number.
  long long BeginRow(std::string_view parentTable, long long parentRow) {
    row_ = table_.rows++;
    previousRow_.swap(currentRow_);
    currentRow_.clear();
    if (!parentTable.empty() && table_.parentRow.empty()) {
      table_.parentTable.assign(row_, std::string_view());
      table_.parentRow.assign(row_, -1);
    }
    if (!table_.parentRow.empty() || !parentTable.empty()) {
      table_.parentTable.push_back(parentTable);
      table_.parentRow.push_back(parentRow);
    }
    return static_cast<long long>(row_);
  }

  void AddValue(std::string_view field, std::string_view text) {
    // Rows mostly repeat the fields of the row before, in the same order:
    // the slot of the value at the same place is tried before the map.
    const std::size_t at = currentRow_.size();
    FieldSlot* slot = at < previousRow_.size() && previousRow_[at]->field == field
                          ? previousRow_[at]
                          : &SlotOf(field);
    currentRow_.push_back(slot);
    if (slot->row != row_) {
      slot->row = row_;
      slot->seen = 0;
    }
    const auto occurrence = static_cast<std::size_t>(slot->seen++);
    if (occurrence == slot->columns.size()) {
      slot->columns.push_back(table_.columns.size());
      table_.columns.push_back(ViewColumn{field, static_cast<int>(occurrence), {}});
    }
    std::vector<std::string_view>& cells = table_.columns[slot->columns[occurrence]].cells;
    if (cells.size() < row_) cells.resize(row_, kAbsent);
    cells.push_back(text);
  }

  std::string_view name() const { return table_.name; }

  ViewTable Finish() {
    for (ViewColumn& column : table_.columns) column.cells.resize(table_.rows, kAbsent);
    return std::move(table_);
  }

 private:
  FieldSlot& SlotOf(std::string_view field) {
    FieldSlot& slot = slots_[field];
    slot.field = field;
    return slot;
  }

  ViewTable table_;
  std::size_t row_ = 0;
  std::unordered_map<std::string_view, FieldSlot> slots_;  // nodes stay put
  std::vector<FieldSlot*> previousRow_;  // the slot of each value of the row before
  std::vector<FieldSlot*> currentRow_;
};

}  // namespace

bool IsAbsent(std::string_view cell) { return cell.data() == kAbsent.data(); }

std::vector<ViewTable> CollectTables(const BusinessObject& object) {
  std::vector<std::unique_ptr<TableBuilder>> builders;
  std::unordered_map<std::string_view, TableBuilder*> byName;
  // Each open table node and its row being walked (a table may nest in
  // a table of its own name, so the row belongs to the node).
  struct OpenNode {
    TableBuilder* builder;
    long long row;
  };
  std::vector<OpenNode> open;
  ContentWalk walk(object);
  ContentEvent item;
  while (walk.Next(&item)) {
    switch (item.step) {
      case ContentStep::kOpenTable: {
        TableBuilder*& builder = byName[item.name];
        if (builder == nullptr) {
          builders.push_back(std::make_unique<TableBuilder>(item.name));
          builder = builders.back().get();
        }
        open.push_back({builder, -1});
        break;
      }
      case ContentStep::kBeginRow:
        if (open.size() > 1) {
          const OpenNode& parent = open[open.size() - 2];
          open.back().row = open.back().builder->BeginRow(parent.builder->name(), parent.row);
        } else {
          open.back().row = open.back().builder->BeginRow({}, -1);
        }
        break;
      case ContentStep::kValue:
        open.back().builder->AddValue(item.name, item.text);
        break;
      case ContentStep::kCloseTable:
        open.pop_back();
        break;
    }
  }
  std::vector<ViewTable> tables;
  tables.reserve(builders.size());
  for (const auto& builder : builders) tables.push_back(builder->Finish());
  return tables;
}

}  // namespace kuv::tool
