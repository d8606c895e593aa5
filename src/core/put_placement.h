// Where a value of a declared table goes, given the put cursor and the
// table's declared parent. The decision is made before the tree or the
// cursor changes, so that a refused value changes nothing.
#ifndef KUV_CORE_PUT_PLACEMENT_H_
#define KUV_CORE_PUT_PLACEMENT_H_

#include <string_view>

#include "core/put_cursor.h"
#include "model/table_node.h"

namespace kuv::core {

enum class Placement {
  kRefuse,                  // the table has no place under the cursor
  kNewTopLevelTable,        // a new top-level table with one row
  kPutRow,                  // the put row (or the next row of the put table)
  kChildOfPutRow,           // a new child table under the put row
  kNewRowOfEnclosing,       // a new row of the enclosing table named like the value's table
  kChildOfNewEnclosingRow,  // a new child table under a new row of the enclosing parent table
};

struct PlacementDecision {
  Placement placement = Placement::kRefuse;
  // For the two enclosing placements: the table the cursor climbs to.
  CTableNode* enclosing = nullptr;
};

// Decides where a value of table goes; parent is the table's declared
// parent ("" for a top-level table).
PlacementDecision DecidePlacement(const PutCursor& cursor, std::string_view table,
                                  std::string_view parent);

// Carries out an accepted decision: opens tables and rows, climbs, and adds
// the value. False only when the cursor held a table without a row.
bool ApplyPlacement(PutCursor& cursor, const PlacementDecision& decision, std::string_view table,
                    std::string_view field, std::string_view value);

}  // namespace kuv::core

#endif  // KUV_CORE_PUT_PLACEMENT_H_
