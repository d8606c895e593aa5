#include "model/table_node.h"

#include "model/node_pools.h"
#include "model/text_compare.h"

namespace kuv {

namespace {
// Beyond this many distinct field names a table indexes them in a hash map.
constexpr std::size_t kLinearFieldSearch = 16;
}  // namespace

// Walks down the last rows to a table without child tables, frees it and
// goes on from its parent table, freeing each row once its child tables
// are gone. The parent pointers lead back up, so this needs neither
// recursion nor a stack: freeing never allocates, and so works when memory
// has run out. Every node dies with nothing left below it.
void DestroyTables(std::vector<Owned<CTableNode>>& tables) {
  while (!tables.empty()) {
    CTableNode* const top = tables.back().get();
    CTableNode* table = top;
    for (;;) {
      auto& rows = table->rows_;
      while (!rows.empty() && rows.back()->childTables_.empty()) rows.pop_back();
      if (!rows.empty()) {
        table = rows.back()->childTables_.back().get();
        continue;
      }
      if (table == top) break;
      CRowNode* row = table->parentRow_;
      row->childTables_.pop_back();  // table, which has no rows left
      table = row->parentTable_;
    }
    tables.pop_back();
  }
}

void RemoveTableAt(std::vector<Owned<CTableNode>>& tables, std::size_t i) {
  std::vector<Owned<CTableNode>> gone;
  gone.reserve(1);  // so that nothing below can throw
  gone.push_back(std::move(tables[i]));
  tables.erase(tables.begin() + static_cast<std::ptrdiff_t>(i));
  DestroyTables(gone);
}

CTableNode::CTableNode(std::string_view name, CRowNode* parentRow)
    : name_(name), parentRow_(parentRow) {}

CTableNode::~CTableNode() {
  for (auto& row : rows_) DestroyTables(row->childTables_);
}

CRowNode* CTableNode::AddRow() {
  // Rows of one table mostly hold as many values as the row before.
  std::size_t expected = rows_.empty() ? 0 : rows_.back()->values_.size();
  rows_.push_back(MakeNode<CRowNode>(PoolsOf(this), this));
  CRowNode* row = rows_.back().get();
  if (expected != 0) row->values_.reserve(expected);
  return row;
}

void CTableNode::RemoveRow(std::size_t i) {
  DestroyTables(rows_[i]->childTables_);
  rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(i));
}

CRowNode* CTableNode::GetRow(int i) const {
  if (i < 0 || static_cast<std::size_t>(i) >= rows_.size()) return nullptr;
  return rows_[static_cast<std::size_t>(i)].get();
}

std::uint32_t CTableNode::InternField(std::string_view field) {
  const std::size_t count = fieldNames_.size();
  if (count != 0) {
    std::uint32_t next = lastField_ + 1 < count ? lastField_ + 1 : 0;
    if (SameText(fieldNames_[next], field)) return lastField_ = next;
    if (SameText(fieldNames_[lastField_], field)) return lastField_;
  }
  if (fieldIndex_) {
    auto found = fieldIndex_->find(std::string(field));
    if (found != fieldIndex_->end()) return lastField_ = found->second;
  } else {
    for (std::uint32_t i = 0; i < count; ++i) {
      if (SameText(fieldNames_[i], field)) return lastField_ = i;
    }
  }
  const auto index = static_cast<std::uint32_t>(count);
  fieldNames_.emplace_back(field);
  if (fieldIndex_) {
    fieldIndex_->emplace(fieldNames_.back(), index);
  } else if (fieldNames_.size() > kLinearFieldSearch) {
    fieldIndex_ = std::make_unique<std::unordered_map<std::string, std::uint32_t>>();
    for (std::uint32_t i = 0; i < fieldNames_.size(); ++i) fieldIndex_->emplace(fieldNames_[i], i);
  }
  return lastField_ = index;
}

CRowNode::~CRowNode() { DestroyTables(childTables_); }

void CRowNode::AddValue(std::string_view field, std::string_view text) {
  values_.emplace_back(parentTable_->InternField(field), text);
}

const CValueNode* CRowNode::GetValue(int i) const {
  if (i < 0 || static_cast<std::size_t>(i) >= values_.size()) return nullptr;
  return &values_[static_cast<std::size_t>(i)];
}

CTableNode* CRowNode::AddChildTable(std::string_view name) {
  childTables_.push_back(MakeNode<CTableNode>(PoolsOf(this), name, this));
  return childTables_.back().get();
}

void CRowNode::RemoveChildTable(std::size_t i) { RemoveTableAt(childTables_, i); }

CTableNode* CRowNode::GetChildTable(int i) const {
  if (i < 0 || static_cast<std::size_t>(i) >= childTables_.size()) return nullptr;
  return childTables_[static_cast<std::size_t>(i)].get();
}

}  // namespace kuv
