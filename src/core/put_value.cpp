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

}  // namespace

bool PutValue(CBusinessObject& object, PutPosition& position, std::string_view table,
              std::string_view field, std::string_view value) {
  // A value with "<" would be saved and read back cut.
  if (!io::IsStorableValue(value)) return false;
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
    if (!io::IsStorableName(table) || !io::IsStorableName(field)) return false;
    const auto declared = object.TableDefs.find(table);
    if (declared == object.TableDefs.end()) return false;
    if (object.FindFieldDef(table, field) == nullptr) return false;
    decision = DecidePlacement(cursor, table, declared->second);
    if (decision.placement == Placement::kRefuse) return false;
  }

  // The position moves only once the value is in place.
  if (!ApplyPlacement(cursor, decision, table, field, value)) return false;
  position.table = cursor.table();
  position.row = cursor.row();
  return true;
}

}  // namespace kuv::core
