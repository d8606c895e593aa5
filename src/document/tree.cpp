// Tables and rows of the document API: handles over the model's nodes.
#include "document/checked_text.h"
#include "kuv/document.hpp"
#include "model/table_node.h"

namespace kuv {

namespace {

Row RowAt(const void* owner, std::size_t index) {
  return Row(static_cast<const CTableNode*>(owner)->rows()[index].get());
}

Value ValueAt(const void* owner, std::size_t index) {
  const auto* row = static_cast<const CRowNode*>(owner);
  const CValueNode& value = row->values()[index];
  return Value{row->FieldOf(value), value.value()};
}

Table ChildTableAt(const void* owner, std::size_t index) {
  return Table(static_cast<const CRowNode*>(owner)->childTables()[index].get());
}

}  // namespace

std::string_view Table::name() const { return node_->name(); }

Items<Row> Table::rows() const { return Items<Row>(node_, node_->rows().size(), RowAt); }

std::optional<Row> Table::parent_row() const {
  if (node_->parentRow() == nullptr) return std::nullopt;
  return Row(node_->parentRow());
}

Row Table::AddRow() { return Row(node_->AddRow()); }

Items<Value> Row::values() const { return Items<Value>(node_, node_->values().size(), ValueAt); }

Items<Table> Row::child_tables() const {
  return Items<Table>(node_, node_->childTables().size(), ChildTableAt);
}

Table Row::table() const { return Table(node_->parentTable()); }

void Row::AddValue(std::string_view field, std::string_view text) {
  document::RequireStorableName(field, "field name");
  document::RequireStorableValue(text);
  node_->AddValue(field, text);
}

Table Row::AddChildTable(std::string_view name) {
  document::RequireStorableName(name, "table name");
  return Table(node_->AddChildTable(name));
}

}  // namespace kuv
