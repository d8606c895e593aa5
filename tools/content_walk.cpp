#include "content_walk.h"

namespace kuv::tool {

bool ContentWalk::Next(ContentEvent* event) {
  *event = ContentEvent{};
  for (;;) {
    if (open_.empty()) {
      const Items<Table> tables = object_.tables();
      if (nextTopTable_ == tables.size()) return false;
      open_.push_back(Frame{tables[nextTopTable_++]});
      event->step = ContentStep::kOpenTable;
      event->name = open_.back().table.name();
      return true;
    }
    Frame& frame = open_.back();
    const Items<Row> rows = frame.table.rows();
    if (frame.row == rows.size()) {
      open_.pop_back();
      event->step = ContentStep::kCloseTable;
      return true;
    }
    const Row row = rows[frame.row];
    if (!frame.rowBegun) {
      frame.rowBegun = true;
      frame.value = 0;
      frame.child = 0;
      event->step = ContentStep::kBeginRow;
      return true;
    }
    const Items<Value> values = row.values();
    if (frame.value < values.size()) {
      const Value value = values[frame.value++];
      event->step = ContentStep::kValue;
      event->name = value.field;
      event->text = value.text;
      return true;
    }
    const Items<Table> children = row.child_tables();
    if (frame.child < children.size()) {
      const Table child = children[frame.child++];
      open_.push_back(Frame{child});  // frame is not used after the push
      event->step = ContentStep::kOpenTable;
      event->name = child.name();
      return true;
    }
    ++frame.row;
    frame.rowBegun = false;
  }
}

std::string_view ContentWalk::table() const {
  return open_.empty() ? std::string_view() : open_.back().table.name();
}

}  // namespace kuv::tool
