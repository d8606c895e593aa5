// KuvPutValue: adds one value to the object being built, at the place that
// the object's table declarations and the put cursor give it.
#include <string_view>

#include "api/put_cursor.h"
#include "api/put_placement.h"
#include "frame/export_guard.h"
#include "io/storable_text.h"
#include "kuv/kuv.h"

namespace kuv::api {

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

}  // namespace kuv::api

int KuvPutValue(const char* table, const char* field, const char* value) {
  if (table == nullptr || field == nullptr || value == nullptr) return 0;
  return kuv::WhenAttached([&](kuv::LibraryState& state) {
    // A value with "<" would be saved and read back cut.
    if (!kuv::io::IsStorableValue(value)) return 0;
    kuv::CBusinessObject* object = state.dataStore.GetAt(state.putObjectIndex);
    if (object == nullptr) return 0;
    const std::string_view tableName(table);
    const std::string_view fieldName(field);

    // A cursor left in the tree of another object (or of none, once the
    // store was cleared or its object removed) is never followed: the
    // value then starts at the top level of the put object.
    const bool cursorIsOurs = state.putOwner == object;
    kuv::api::PutCursor cursor(*object, cursorIsOurs ? state.putTable : nullptr,
                               cursorIsOurs ? state.putRow : nullptr);

    kuv::api::PlacementDecision decision;
    if (cursor.table() != nullptr && cursor.row() != nullptr &&
        cursor.table()->name() == tableName &&
        kuv::api::PutTableHasField(*cursor.table(), *cursor.row(), fieldName)) {
      // The common case needs no look-up: the cursor only stands in tables
      // that were opened here after their name was found declared, every
      // field in them was found declared for that table when its first
      // value came, and no definition is ever taken from an object.
      decision.placement = kuv::api::Placement::kPutRow;
    } else {
      // Names come from declarations that may have been read from a file
      // rather than made here: they are checked before they become tags.
      if (!kuv::io::IsStorableName(tableName) || !kuv::io::IsStorableName(fieldName)) return 0;
      const auto declared = object->TableDefs.find(tableName);
      if (declared == object->TableDefs.end()) return 0;
      if (object->FindFieldDef(tableName, fieldName) == nullptr) return 0;
      decision = kuv::api::DecidePlacement(cursor, tableName, declared->second);
      if (decision.placement == kuv::api::Placement::kRefuse) return 0;
    }

    // The state's cursor moves only once the value is in place.
    if (!kuv::api::ApplyPlacement(cursor, decision, tableName, fieldName, value)) return 0;
    state.putTable = cursor.table();
    state.putRow = cursor.row();
    state.putOwner = object;
    return 1;
  });
}
