#include "core/put_placement.h"

namespace kuv::core {

namespace {

bool IsTopLevel(const CTableNode& table) { return table.parentRow() == nullptr; }

// The nearest table from start upwards that is top-level or bears the
// value's table name or its parent's name. start itself is known to bear
// neither name, so only its level matters for it.
CTableNode* FindEnclosing(CTableNode* start, std::string_view table, std::string_view parent) {
  CTableNode* x = start;
  while (!IsTopLevel(*x)) {
    x = x->parentRow()->parentTable();
    if (x->name() == table || (!parent.empty() && x->name() == parent)) break;
  }
  return x;
}

}  // namespace

PlacementDecision DecidePlacement(const PutCursor& cursor, std::string_view table,
                                  std::string_view parent) {
  CTableNode* putTable = cursor.table();
  if (putTable == nullptr) {
    return {parent.empty() ? Placement::kNewTopLevelTable : Placement::kRefuse};
  }
  if (putTable->name() == table) {
    // Adding needs a row; the cursor never holds a table without one.
    return {cursor.row() != nullptr ? Placement::kPutRow : Placement::kRefuse};
  }
  if (!parent.empty() && putTable->name() == parent) return {Placement::kChildOfPutRow};
  if (!parent.empty() && IsTopLevel(*putTable)) return {Placement::kRefuse};

  CTableNode* enclosing = FindEnclosing(putTable, table, parent);
  if (enclosing->name() == table) return {Placement::kNewRowOfEnclosing, enclosing};
  if (!parent.empty() && enclosing->name() == parent) {
    return {Placement::kChildOfNewEnclosingRow, enclosing};
  }
  // Reached the top level without meeting either name.
  return {parent.empty() ? Placement::kNewTopLevelTable : Placement::kRefuse};
}

bool ApplyPlacement(PutCursor& cursor, const PlacementDecision& decision, std::string_view table,
                    std::string_view field, std::string_view value) {
  switch (decision.placement) {
    case Placement::kRefuse:
      return false;
    case Placement::kNewTopLevelTable:
      // Without a put row the table opens among the top-level tables.
      cursor.CloseRow();
      cursor.OpenTable(table);
      cursor.OpenRow();
      break;
    case Placement::kPutRow:
      break;
    case Placement::kChildOfPutRow:
      cursor.OpenTable(table);
      cursor.OpenRow();
      break;
    case Placement::kNewRowOfEnclosing:
    case Placement::kChildOfNewEnclosingRow:
      while (cursor.table() != nullptr && cursor.table() != decision.enclosing) {
        cursor.CloseRow();
        cursor.Climb();
      }
      // Going back up always starts a new row of the enclosing table.
      cursor.CloseRow();
      cursor.OpenRow();
      if (decision.placement == Placement::kChildOfNewEnclosingRow) {
        cursor.OpenTable(table);
        cursor.OpenRow();
      }
      break;
  }
  return cursor.AddValue(field, value);
}

}  // namespace kuv::core
