// The rules of putting one value: KuvPutValue and the document API both
// come here.
#include "core/put_value.h"

#include "core/put_cursor.h"
#include "core/put_placement.h"
#include "io/storable_text.h"

namespace kuv::core {

namespace {

// Whether the put table already received a value of this field, found
// without a search: the field the row before held at the position that
// comes next (rows of one table mostly repeat their fields in order), or
// the put row's first field, whose repeat starts the next row.
bool PutTableHasField(const CTableNode& table, const CRowNode& row, std::string_view field) {
  const auto& values = row.values();
  const auto& rows = table.rows();
  if (rows.size() >= 2 && rows.back().get() == &row) {
    const CRowNode& previous = *rows[rows.size() - 2];
    const std::size_t next = values.size();
    if (next < previous.values().size() && previous.FieldOf(previous.values()[next]) == field) {
      return true;
    }
  }
  return !values.empty() && row.FieldOf(values.front()) == field;
}

// Why a decided placement could never be read back from a saved document,
// or null. Rows are not marked: the field that begins a table's first row
// begins every row, and a row that holds no value before a nested table
// is taken for part of the row before.
const char* WhyPlacementMisreads(const PlacementDecision& decision, std::string_view field) {
  if (decision.placement == Placement::kChildOfNewEnclosingRow) {
    return "the table would open under a new row of its parent table that holds no value, and a "
           "saved document would move it under the row before; put a value of the parent table "
           "first";
  }
  if (decision.placement == Placement::kNewRowOfEnclosing) {
    const auto& rows = decision.enclosing->rows();
    const bool begins = !rows.empty() && !rows.front()->values().empty() &&
                        rows.front()->FieldOf(rows.front()->values().front()) == field;
    if (!begins) {
      return "the value would begin a new row of its table with another field than the one that "
             "begins the table's rows, and a saved document would join that row to the one before";
    }
  }
  return nullptr;
}

}  // namespace

const char* PutValue(CBusinessObject& object, PutPosition& position, std::string_view table,
                     std::string_view field, std::string_view value) {
  // A value with "<" would be saved and read back cut.
  if (const char* why = io::WhyNotStorableValue(value)) return why;
  PutCursor cursor(object, position.table, position.row);

  PlacementDecision decision;
  if (cursor.table() != nullptr && cursor.row() != nullptr && cursor.table()->name() == table &&
      PutTableHasField(*cursor.table(), *cursor.row(), field)) {
    // The common case needs no look-up: the cursor only stands in tables
    // that were opened here after their name was found declared, every
    // field in them was found declared for that table when its first
    // value came, and no definition is ever taken from an object.
    decision.placement = Placement::kPutRow;
  } else {
    // Names come from declarations that may have been read from a file
    // rather than made here: they are checked before they become tags.
    if (const char* why = io::WhyNotStorableName(table)) return why;
    if (const char* why = io::WhyNotStorableName(field)) return why;
    const auto declared = object.TableDefs.find(table);
    if (declared == object.TableDefs.end()) return "the table is not declared";
    if (object.FindFieldDef(table, field) == nullptr) {
      return "the field is not declared for the table";
    }
    if (field == table) {
      return "the field bears the name of its table, and its closing tag would close the table";
    }
    decision = DecidePlacement(cursor, table, declared->second);
    if (decision.placement == Placement::kRefuse) {
      return "the table's parent table is not open where the values stand";
    }
    if (const char* why = WhyPlacementMisreads(decision, field)) return why;
  }

  // The position moves only once the value is in place.
  if (!ApplyPlacement(cursor, decision, table, field, value)) return "there is no row to hold it";
  position.table = cursor.table();
  position.row = cursor.row();
  return nullptr;
}

}  // namespace kuv::core
