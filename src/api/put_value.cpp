// KuvPutValue: adds one value to the object being built, at the place that
// the object's table declarations and the put cursor give it.
#include "frame/export_guard.h"
#include "kuv/kuv.h"

int KuvPutValue(const char* table, const char* field, const char* value) {
  if (!kuv::AllGiven(table, field, value)) return 0;
  return kuv::WhenAttached(
      [&](kuv::LibraryState& state) { return state.PutValue(table, field, value) ? 1 : 0; });
}
