// Tables and rows of the document API: handles over the model's nodes.
#include <stdexcept>

#include "document/checked_text.h"
#include "document/live_nodes.h"
#include "document/put_positions.h"
#include "io/storable_shape.h"
#include "kuv/document.hpp"
#include "model/node_pool.h"
#include "model/table_node.h"

namespace kuv {

namespace {

using document::LiveNode;

[[noreturn]] void ThrowGone() { throw std::out_of_range("kuv: the item is gone"); }

Row RowAt(const void* owner, std::uint32_t generation, std::size_t index) {
  const auto* table = LiveNode(static_cast<const CTableNode*>(owner), generation, "table");
  if (index >= table->rows().size()) ThrowGone();
  return Row(table->rows()[index].get());
}

Value ValueAt(const void* owner, std::uint32_t generation, std::size_t index) {
  const auto* row = LiveNode(static_cast<const CRowNode*>(owner), generation, "row");
  if (index >= row->values().size()) ThrowGone();
  const CValueNode& value = row->values()[index];
  return Value{row->FieldOf(value), value.value()};
}

Table ChildTableAt(const void* owner, std::uint32_t generation, std::size_t index) {
  const auto* row = LiveNode(static_cast<const CRowNode*>(owner), generation, "row");
  if (index >= row->childTables().size()) ThrowGone();
  return Table(row->childTables()[index].get());
}

}  // namespace

Table::Table(CTableNode* node) : node_(node), generation_(GenerationOf(node)) {}

CTableNode* Table::live() const { return LiveNode(node_, generation_, "table"); }

std::string_view Table::name() const { return live()->name(); }

Items<Row> Table::rows() const {
  return Items<Row>(node_, generation_, live()->rows().size(), RowAt);
}

std::optional<Row> Table::parent_row() const {
  CRowNode* parent = live()->parentRow();
  if (parent == nullptr) return std::nullopt;
  return Row(parent);
}

Row Table::AddRow() { return Row(live()->AddRow()); }

void Table::RemoveRow(std::size_t index) {
  CTableNode* table = live();
  if (index >= table->rows().size()) throw std::out_of_range("kuv: no row at that index");
  document::PutPositionsOf(table).ForgetWithin(table->rows()[index].get());
  table->RemoveRow(index);
}

Row::Row(CRowNode* node) : node_(node), generation_(GenerationOf(node)) {}

CRowNode* Row::live() const { return LiveNode(node_, generation_, "row"); }

Items<Value> Row::values() const {
  return Items<Value>(node_, generation_, live()->values().size(), ValueAt);
}

Items<Table> Row::child_tables() const {
  return Items<Table>(node_, generation_, live()->childTables().size(), ChildTableAt);
}

Table Row::table() const { return Table(live()->parentTable()); }

void Row::AddValue(std::string_view field, std::string_view text) {
  CRowNode* row = live();
  document::RequireStorableName(field, "field name");
  document::RequireStorableValue(text);
  document::RequireDone(io::WhyValueCannotJoinRow(*row, field),
                        "cannot add a value of field " + document::Quoted(field) + " to a row of " +
                            document::Quoted(row->parentTable()->name()));
  row->AddValue(field, text);
}

void Row::SetValue(std::size_t index, std::string_view text) {
  CRowNode* row = live();
  if (index >= row->values().size()) throw std::out_of_range("kuv: no value at that index");
  document::RequireStorableValue(text);
  row->SetValueText(index, text);
}

void Row::RemoveValue(std::size_t index) {
  CRowNode* row = live();
  if (index >= row->values().size()) throw std::out_of_range("kuv: no value at that index");
  document::RequireDone(
      io::WhyValueCannotLeaveRow(*row, index),
      "cannot remove the value of field " + document::Quoted(row->FieldOf(row->values()[index])));
  row->RemoveValue(index);
}

void Row::RemoveChildTable(std::size_t index) {
  CRowNode* row = live();
  if (index >= row->childTables().size()) throw std::out_of_range("kuv: no table at that index");
  document::PutPositionsOf(row).ForgetWithin(row->childTables()[index].get());
  row->RemoveChildTable(index);
}

Table Row::AddChildTable(std::string_view name) {
  CRowNode* row = live();
  document::RequireStorableName(name, "table name");
  return Table(row->AddChildTable(name));
}

}  // namespace kuv
