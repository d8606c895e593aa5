#include "model/table_node.h"

#include "model/text_compare.h"

namespace kuv {

namespace {
// Beyond this many distinct field names a table indexes them in a hash map.
constexpr std::size_t kLinearFieldSearch = 16;
}  // namespace

void DestroyTables(std::vector<std::unique_ptr<CTableNode>>& tables) {
  std::vector<std::unique_ptr<CTableNode>> pending = std::move(tables);
  tables.clear();
  while (!pending.empty()) {
    std::unique_ptr<CTableNode> table = std::move(pending.back());
    pending.pop_back();
    // Detach the grandchildren first so that the table dies shallow.
    for (auto& row : table->rows_) {
      for (auto& child : row->childTables_) pending.push_back(std::move(child));
      row->childTables_.clear();
    }
  }
}

CTableNode::CTableNode(std::string_view name, CRowNode* parentRow)
    : name_(name), parentRow_(parentRow) {}

CTableNode::~CTableNode() {
  for (auto& row : rows_) DestroyTables(row->childTables_);
}

CRowNode* CTableNode::AddRow() {
  // Rows of one table mostly hold as many values as the row before.
  std::size_t expected = rows_.empty() ? 0 : rows_.back()->values_.size();
  rows_.push_back(std::make_unique<CRowNode>(this));
  CRowNode* row = rows_.back().get();
  if (expected != 0) row->values_.reserve(expected);
  return row;
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
  childTables_.push_back(std::make_unique<CTableNode>(name, this));
  return childTables_.back().get();
}

CTableNode* CRowNode::GetChildTable(int i) const {
  if (i < 0 || static_cast<std::size_t>(i) >= childTables_.size()) return nullptr;
  return childTables_[static_cast<std::size_t>(i)].get();
}

}  // namespace kuv
