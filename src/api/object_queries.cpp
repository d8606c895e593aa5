// Read-only questions about the business objects: listing, finding and
// walking the data store, table parentage in the current object, and field
// definitions in the template.
#include <string_view>

#include "frame/export_guard.h"
#include "kuv/kuv.h"
#include "model/definitions.h"

int KuvObjectList(char*** names, int* count) {
  if (names == nullptr || count == nullptr) return 0;
  return kuv::WhenAttached([&](kuv::LibraryState& state) {
    state.objectNames.Assign(state.dataStore);
    *names = state.objectNames.array();
    *count = state.objectNames.count();
    return 1;
  });
}

int KuvObjectExists(const char* id) {
  if (id == nullptr) return 0;
  return kuv::WhenAttached(
      [&](kuv::LibraryState& state) { return state.dataStore.Find(id) >= 0 ? 1 : 0; });
}

int KuvGetNextObject(char** id, char** author, char** version, char** wellId, char** date) {
  if (id == nullptr || author == nullptr || version == nullptr || wellId == nullptr ||
      date == nullptr) {
    return 0;
  }
  return kuv::WhenAttached([&](kuv::LibraryState& state) {
    // Whatever follows, the next value enumeration starts afresh.
    state.valueCursor = -2;
    const int next = state.getObjectIndex + 1;
    const kuv::CBusinessObject* object = state.dataStore.GetAt(next);
    if (object == nullptr) {
      state.getObjectIndex = -1;  // so that the next call starts the walk again
      return 0;
    }
    // Fill every slot before moving on, so that a failed copy neither
    // writes the caller's variables nor skips the object.
    char* out[5];
    kuv::CopyOutString(state, &out[0], object->id, 0);
    kuv::CopyOutString(state, &out[1], object->author, 1);
    kuv::CopyOutString(state, &out[2], object->version, 2);
    kuv::CopyOutString(state, &out[3], object->wellId, 3);
    kuv::CopyOutString(state, &out[4], object->date, 4);
    state.getObjectIndex = next;
    *id = out[0];
    *author = out[1];
    *version = out[2];
    *wellId = out[3];
    *date = out[4];
    return 1;
  });
}

int KuvIsParent(const char* table, const char* parent) {
  if (table == nullptr || parent == nullptr) return 0;
  return kuv::WhenAttached([&](kuv::LibraryState& state) {
    // The index may stand before the first object or, after deletions,
    // past the last: then there is no current object.
    const kuv::CBusinessObject* object = state.dataStore.GetAt(state.getObjectIndex);
    if (object == nullptr || *table == '\0' || *parent == '\0') return 0;
    const auto found = object->TableDefs.find(std::string_view(table));
    return found != object->TableDefs.end() && found->second == parent ? 1 : 0;
  });
}

int KuvGetFieldDef(const char* objectId, const char* table, const char* field, char** type,
                   char** unit) {
  if (objectId == nullptr || table == nullptr || field == nullptr || type == nullptr ||
      unit == nullptr) {
    return 0;
  }
  // The template alone answers, so no attachment is needed: an empty
  // template store simply knows no field.
  return kuv::WithState([&](kuv::LibraryState& state) {
    for (const auto& object : state.templateStore.objects()) {
      // An object of this kind that lacks the field does not end the
      // search; a later one of the same ID may declare it.
      if (object->id != objectId) continue;
      const std::string* definition = object->FindFieldDef(table, field);
      if (definition == nullptr) continue;
      const kuv::SplitText parts = kuv::SplitAtFirstTab(*definition);
      char* typeOut = nullptr;
      char* unitOut = nullptr;
      kuv::CopyOutString(state, &typeOut, parts.second, 0);
      kuv::CopyOutString(state, &unitOut, parts.first, 1);
      *type = typeOut;
      *unit = unitOut;
      return 1;
    }
    return 0;
  });
}
