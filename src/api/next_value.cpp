// KuvGetNextValue: hands out the current object's values one per call from
// a snapshot taken at the first call after the value cursor was reset.
#include <climits>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "api/value_enumeration.h"
#include "frame/export_guard.h"
#include "kuv/kuv.h"

namespace {

// The value cursor: the index of the record delivered last, or one of these.
constexpr int kRebuildValueList = -2;  // the snapshot is taken again first
constexpr int kBeforeFirstValue = -1;  // the next call delivers the first record

// Six slots are filled per value; a slot keeps its buffer, so a copy-out
// is one memmove while the text fits.
void HandOut(kuv::LibraryState& state, char** out, std::string_view text, int slot) {
  kuv::CopyOutString(state, out, text, slot);
}

}  // namespace

int KuvGetNextValue(char** table, char** field, char** type, char** unit, char** value,
                    char** parentTable, int* rowIndex) {
  if (table == nullptr || field == nullptr || type == nullptr || unit == nullptr ||
      value == nullptr || parentTable == nullptr || rowIndex == nullptr) {
    return 0;
  }
  return kuv::WhenAttached([&](kuv::LibraryState& state) {
    const kuv::CBusinessObject* object = state.dataStore.GetAt(state.getObjectIndex);
    if (object == nullptr) {
      state.valueCursor = kRebuildValueList;
      return 0;
    }
    if (!state.valueList) {
      state.valueList = std::make_unique<kuv::ValueList>();
      state.valueCursor = kRebuildValueList;
    }
    kuv::ValueList& list = *state.valueList;
    if (state.valueCursor < kBeforeFirstValue) {
      // The cursor moves only once the list is whole; a failed build is
      // simply retried by the next call.
      kuv::api::BuildValueList(*object, list);
      state.valueCursor = kBeforeFirstValue;
    }

    // The cursor is an int: a list longer than that ends where it can reach.
    const auto next = static_cast<std::size_t>(state.valueCursor + 1);
    if (next >= list.size() || next > static_cast<std::size_t>(INT_MAX)) {
      state.valueCursor = kBeforeFirstValue;
      return 0;
    }
    const kuv::ValueList::CValueRecord& record = list.record(next);
    // Fill every slot before touching the caller's variables, so that a
    // failed copy writes nothing and does not skip the value.
    char* out[6];
    HandOut(state, &out[0], list.name(record.table), 0);
    HandOut(state, &out[1], list.name(record.field), 1);
    HandOut(state, &out[2], list.value(record), 2);
    HandOut(state, &out[3], list.name(record.unit), 3);
    HandOut(state, &out[4], list.name(record.type), 4);
    HandOut(state, &out[5], list.name(record.parentTable), 5);
    state.valueCursor = static_cast<int>(next);
    *table = out[0];
    *field = out[1];
    *value = out[2];
    *unit = out[3];
    *type = out[4];
    *parentTable = out[5];
    *rowIndex = record.rowIndex;
    return 1;
  });
}
