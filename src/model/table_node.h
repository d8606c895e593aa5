// Tables and rows of a business object's content tree. A table owns its
// rows; a row owns its values and its child tables. Parent pointers mirror
// that ownership. Destroying a table or row frees its whole subtree without
// recursion, however deep the nesting.
#ifndef KUV_MODEL_TABLE_NODE_H_
#define KUV_MODEL_TABLE_NODE_H_

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "model/node_pool.h"
#include "model/value_node.h"

namespace kuv {

class CRowNode;

class CTableNode {
 public:
  CTableNode(std::string_view name, CRowNode* parentRow);
  ~CTableNode();
  CTableNode(const CTableNode&) = delete;
  CTableNode& operator=(const CTableNode&) = delete;

  const std::string& name() const { return name_; }
  // The row whose child tables hold this table; null for a top-level table.
  CRowNode* parentRow() const { return parentRow_; }

  // Appends a new, empty row and returns it.
  CRowNode* AddRow();
  // Deletes the row at i and everything under it, without recursion.
  void RemoveRow(std::size_t i);
  int GetRowCount() const { return static_cast<int>(rows_.size()); }
  // The row at i, or null when i is out of range.
  CRowNode* GetRow(int i) const;
  CRowNode* LastRow() const { return rows_.empty() ? nullptr : rows_.back().get(); }
  const std::vector<Owned<CRowNode>>& rows() const { return rows_; }

  // Field names of the values in this table's rows, each stored once.
  std::uint32_t InternField(std::string_view field);
  const std::string& FieldName(std::uint32_t index) const { return fieldNames_[index]; }
  std::size_t FieldNameCount() const { return fieldNames_.size(); }

 private:
  friend class CRowNode;
  friend void DestroyTables(std::vector<Owned<CTableNode>>& tables);

  std::string name_;
  std::vector<Owned<CRowNode>> rows_;
  CRowNode* parentRow_;
  std::vector<std::string> fieldNames_;
  std::uint32_t lastField_ = 0;  // fields mostly come in the same order
  std::unique_ptr<std::unordered_map<std::string, std::uint32_t>> fieldIndex_;
};

class CRowNode {
 public:
  explicit CRowNode(CTableNode* parentTable) : parentTable_(parentTable) {}
  ~CRowNode();
  CRowNode(const CRowNode&) = delete;
  CRowNode& operator=(const CRowNode&) = delete;

  // The table whose rows hold this row.
  CTableNode* parentTable() const { return parentTable_; }

  void AddValue(std::string_view field, std::string_view text);
  // The same for a field already interned in this row's table.
  void AddValue(std::uint32_t fieldIndex, std::string_view text) {
    values_.emplace_back(fieldIndex, text);
  }
  int GetValueCount() const { return static_cast<int>(values_.size()); }
  // Replaces the text of the value at i; its field stays.
  void SetValueText(std::size_t i, std::string_view text) {
    values_[i] = CValueNode(values_[i].fieldIndex(), text);
  }
  void RemoveValue(std::size_t i) {
    values_.erase(values_.begin() + static_cast<std::ptrdiff_t>(i));
  }
  // The value at i, or null when i is out of range.
  const CValueNode* GetValue(int i) const;
  const std::vector<CValueNode>& values() const { return values_; }
  // A value's field name, for values of this row.
  const std::string& FieldOf(const CValueNode& value) const {
    return parentTable_->FieldName(value.fieldIndex());
  }

  // Appends a new child table, whose parent row is this row, and returns it.
  CTableNode* AddChildTable(std::string_view name);
  // Deletes the child table at i and everything under it, without
  // recursion.
  void RemoveChildTable(std::size_t i);
  int GetChildTableCount() const { return static_cast<int>(childTables_.size()); }
  // The child table at i, or null when i is out of range.
  CTableNode* GetChildTable(int i) const;
  const std::vector<Owned<CTableNode>>& childTables() const { return childTables_; }

  void ReserveValues(std::size_t count) { values_.reserve(count); }

 private:
  friend class CTableNode;
  friend void DestroyTables(std::vector<Owned<CTableNode>>& tables);

  std::vector<CValueNode> values_;
  std::vector<Owned<CTableNode>> childTables_;
  CTableNode* parentTable_;
};

// Frees the tables and everything below them without recursion or
// allocation, and leaves the vector empty.
void DestroyTables(std::vector<Owned<CTableNode>>& tables);

// Takes the i-th table out of tables and frees it the same way.
void RemoveTableAt(std::vector<Owned<CTableNode>>& tables, std::size_t i);

}  // namespace kuv

#endif  // KUV_MODEL_TABLE_NODE_H_
