// KuvPutValue: adds one value to the object being built, at the place that
// the object's table declarations and the put cursor give it.
#include "core/put_value.h"

#include "frame/export_guard.h"
#include "kuv/kuv.h"

int KuvPutValue(const char* table, const char* field, const char* value) {
  if (table == nullptr || field == nullptr || value == nullptr) return 0;
  return kuv::WhenAttached([&](kuv::LibraryState& state) {
    kuv::CBusinessObject* object = state.dataStore.GetAt(state.putObjectIndex);
    if (object == nullptr) return 0;
    // A cursor left in the tree of another object (or of none, once the
    // store was cleared or its object removed) is never followed: the
    // value then starts at the top level of the put object.
    kuv::PutPosition position;
    if (state.putOwner == object) position = {state.putTable, state.putRow};
    if (!kuv::core::PutValue(*object, position, table, field, value)) return 0;
    state.putTable = position.table;
    state.putRow = position.row;
    state.putOwner = object;
    return 1;
  });
}
