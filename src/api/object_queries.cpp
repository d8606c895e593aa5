// Read-only questions about the business objects: listing, finding and
// walking the data store, table parentage in the current object, and field
// definitions in the template.
#include "frame/export_guard.h"
#include "kuv/kuv.h"
#include "model/definitions.h"

int KuvObjectList(char*** names, int* count) {
  if (!kuv::AllGiven(names, count)) return 0;
  return kuv::WhenAttached([&](kuv::LibraryState& state) {
    kuv::ObjectNameList& list = state.ListObjectNames();
    *names = list.array();
    *count = list.count();
    return 1;
  });
}

int KuvObjectExists(const char* id) {
  if (id == nullptr) return 0;
  return kuv::WhenAttached(
      [&](kuv::LibraryState& state) { return state.ObjectExists(id) ? 1 : 0; });
}

int KuvGetNextObject(char** id, char** author, char** version, char** wellId, char** date) {
  if (!kuv::AllGiven(id, author, version, wellId, date)) return 0;
  return kuv::WhenAttached([&](kuv::LibraryState& state) {
    kuv::HeaderTexts header;
    if (!state.NextObject(header)) return 0;
    *id = header.id;
    *author = header.author;
    *version = header.version;
    *wellId = header.wellId;
    *date = header.date;
    return 1;
  });
}

int KuvIsParent(const char* table, const char* parent) {
  if (!kuv::AllGiven(table, parent)) return 0;
  return kuv::WhenAttached(
      [&](kuv::LibraryState& state) { return state.IsParent(table, parent) ? 1 : 0; });
}

int KuvGetFieldDef(const char* objectId, const char* table, const char* field, char** type,
                   char** unit) {
  if (!kuv::AllGiven(objectId, table, field, type, unit)) return 0;
  // The template alone answers, so no attachment is needed: an empty
  // template store simply knows no field.
  return kuv::WithState([&](kuv::LibraryState& state) {
    const std::string* definition = state.FindTemplateFieldDef(objectId, table, field);
    if (definition == nullptr) return 0;
    const kuv::SplitText unitAndType = kuv::SplitAtFirstTab(*definition);
    char* typeOut = state.HandOut(0, unitAndType.second);
    char* unitOut = state.HandOut(1, unitAndType.first);
    *type = typeOut;
    *unit = unitOut;
    return 1;
  });
}
