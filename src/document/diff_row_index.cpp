#include "document/diff_row_index.h"

#include "kuv/table_rows.hpp"

namespace kuv::diff_detail {

RowIndex::RowIndex(const BusinessObject& object) {
  TableRowWalk walk(object);
  while (const std::optional<TableRow> row = walk.Next()) {
    // A parent row is walked before the rows it holds.
    const std::size_t parent =
        row->parentId < 0 ? kNone : named_[row->parentTable].rowsById[row->parentId];
    Named& named = named_[row->table];
    std::size_t group = named.lastGroup;
    if (group == kNone || groups_[group].parent != parent) {
      const auto [found, added] =
          groupOf_.try_emplace(GroupKey{parent, row->table}, groups_.size());
      group = found->second;
      if (added) {
        groups_.push_back(RowGroup{row->table, parent, {}});
        named.groups.push_back(group);
      }
      named.lastGroup = group;
    }
    const std::size_t index = rows_.size();
    std::vector<std::size_t>& members = groups_[group].rows;
    rows_.push_back(
        IndexedRow{row->row, row->id, parent, group, static_cast<std::uint32_t>(members.size())});
    members.push_back(index);
    named.rowsById.push_back(index);
  }
}

std::size_t RowIndex::FindGroup(std::size_t parent, std::string_view table) const {
  const auto found = groupOf_.find(GroupKey{parent, table});
  return found == groupOf_.end() ? kNone : found->second;
}

const std::vector<std::size_t>& RowIndex::GroupsNamed(std::string_view table) const {
  static const std::vector<std::size_t> kNoGroups;
  const auto found = named_.find(table);
  return found == named_.end() ? kNoGroups : found->second.groups;
}

}  // namespace kuv::diff_detail
