// The rows of one object's tables for a diff: every row, as
// kuv::TableRowWalk numbers it, with the row that holds it, and the rows
// of each table name grouped by that parent row.
#ifndef KUV_DOCUMENT_DIFF_ROW_INDEX_H_
#define KUV_DOCUMENT_DIFF_ROW_INDEX_H_

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "kuv/document.hpp"

namespace kuv::diff_detail {

// No row: the parent of a top-level row, a row without a match.
constexpr std::size_t kNone = static_cast<std::size_t>(-1);

struct IndexedRow {
  Row row;
  std::int64_t id = 0;         // its row_id among the rows of its table name
  std::size_t parent = kNone;  // the row that holds it
  std::size_t group = 0;       // its group in RowIndex::groups()
  std::uint32_t position = 0;  // among the rows of its group
};

// The rows of one table name under one parent row, in document order.
struct RowGroup {
  std::string_view table;
  std::size_t parent = kNone;
  std::vector<std::size_t> rows;
};

class RowIndex {
 public:
  // Walks the object once, without recursion. The object must not change
  // while the index is used.
  explicit RowIndex(const BusinessObject& object);

  const std::vector<IndexedRow>& rows() const { return rows_; }
  // In the order their first rows appear, so that the group of a row comes
  // before the groups of the tables it holds.
  const std::vector<RowGroup>& groups() const { return groups_; }
  // The group of table's rows under parent (kNone for the top level), or
  // kNone.
  std::size_t FindGroup(std::size_t parent, std::string_view table) const;
  // The groups of a table name, in order; empty for a name without rows.
  const std::vector<std::size_t>& GroupsNamed(std::string_view table) const;

 private:
  struct GroupKey {
    std::size_t parent;
    std::string_view table;
    bool operator==(const GroupKey& other) const {
      return parent == other.parent && table == other.table;
    }
  };
  struct GroupKeyHash {
    std::size_t operator()(const GroupKey& key) const {
      return std::hash<std::string_view>()(key.table) * 31 + key.parent;
    }
  };
  // What the index knows of one table name.
  struct Named {
    std::vector<std::size_t> rowsById;  // its rows, by row_id
    std::vector<std::size_t> groups;
    std::size_t lastGroup = kNone;  // rows mostly follow one another in one group
  };

  std::vector<IndexedRow> rows_;
  std::vector<RowGroup> groups_;
  std::unordered_map<GroupKey, std::size_t, GroupKeyHash> groupOf_;
  std::unordered_map<std::string_view, Named> named_;
};

}  // namespace kuv::diff_detail

#endif  // KUV_DOCUMENT_DIFF_ROW_INDEX_H_
