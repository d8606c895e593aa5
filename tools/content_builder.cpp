#include "content_builder.h"

#include <utility>

namespace kuv::tool {

namespace {
const std::string kNoParent;
}  // namespace

const std::string& ContentBuilder::ParentOf(std::size_t frame) const {
  return frame == 0 ? kNoParent : open_[frame - 1].table;
}

std::size_t ContentBuilder::FindOpen(const std::string& table, const std::string* parent) const {
  auto found = openAt_.find(table);
  if (found == openAt_.end()) return 0;
  const std::vector<std::size_t>& positions = found->second;
  for (auto at = positions.rbegin(); at != positions.rend(); ++at) {
    if (parent == nullptr || ParentOf(*at) == *parent) return *at + 1;
  }
  return 0;
}

void ContentBuilder::CloseAbove(std::size_t frames) {
  while (open_.size() > frames) {
    content_.push_back({ContentStep::kCloseTable, {}, {}});
    auto positions = openAt_.find(open_.back().table);
    positions->second.pop_back();
    if (positions->second.empty()) openAt_.erase(positions);
    open_.pop_back();
  }
}

// Opens a table under the row being filled (or at the top level) and begins
// rows up to the given count; rows before the last hold no values.
void ContentBuilder::OpenTable(const std::string& name, int rows) {
  content_.push_back({ContentStep::kOpenTable, name, {}});
  for (int i = 0; i < rows; ++i) content_.push_back({ContentStep::kBeginRow, {}, {}});
  openAt_[name].push_back(open_.size());
  open_.push_back({name, rows - 1});
}

// A parent table none of whose rows on the way holds a value: place it under
// the nearest open table it is declared under, else at the top level.
void ContentBuilder::OpenMissingParent(const std::string& parent) {
  std::size_t keep = 0;
  for (std::size_t i = open_.size(); i > 0; --i) {
    if (isParent_ && isParent_(parent, open_[i - 1].table)) {
      keep = i;
      break;
    }
  }
  CloseAbove(keep);
  OpenTable(parent, 1);
}

void ContentBuilder::Add(const ValueRecord& record) {
  const int row = record.rowIndex < 0 ? 0 : record.rowIndex;

  // The open table node this value belongs to, if it is still open.
  if (const std::size_t i = FindOpen(record.table, &record.parentTable); i > 0) {
    Frame& frame = open_[i - 1];
    const bool top = i == open_.size();
    if (row > frame.row || (row == frame.row && top)) {
      CloseAbove(i);
      for (; frame.row < row; ++frame.row) content_.push_back({ContentStep::kBeginRow, {}, {}});
      content_.push_back({ContentStep::kValue, record.field, record.value});
      return;
    }
    // Row positions start again: a new node of the same table follows.
    CloseAbove(i - 1);
  }

  if (record.parentTable.empty()) {
    CloseAbove(0);
  } else {
    const std::size_t parent = FindOpen(record.parentTable, nullptr);
    if (parent == 0) {
      OpenMissingParent(record.parentTable);
    } else {
      CloseAbove(parent);
    }
  }
  OpenTable(record.table, row + 1);
  content_.push_back({ContentStep::kValue, record.field, record.value});
}

std::vector<ContentItem> ContentBuilder::Finish() {
  CloseAbove(0);
  return std::exchange(content_, {});
}

}  // namespace kuv::tool
