// KuvGetNextValue: hands out the current object's values one per call.
#include "frame/export_guard.h"
#include "kuv/kuv.h"

int KuvGetNextValue(char** table, char** field, char** type, char** unit, char** value,
                    char** parentTable, int* rowIndex) {
  if (!kuv::AllGiven(table, field, type, unit, value, parentTable, rowIndex)) return 0;
  return kuv::WhenAttached([&](kuv::LibraryState& state) {
    kuv::ValueTexts next;
    if (!state.NextValue(next)) return 0;
    *table = next.table;
    *field = next.field;
    *type = next.type;
    *unit = next.unit;
    *value = next.value;
    *parentTable = next.parentTable;
    *rowIndex = next.rowIndex;
    return 1;
  });
}
