// Creating, rewriting and deleting business objects of the data store, and
// adding table and field definitions to the object being built. A refused
// call changes neither the store nor any cursor: every check comes before
// the first change, and work that may fail on memory is done on copies or
// undone.
#include <string>
#include <string_view>

#include "core/template_definitions.h"
#include "core/timestamp.h"
#include "frame/export_guard.h"
#include "io/storable_text.h"
#include "kuv/kuv.h"
#include "model/definitions.h"

namespace kuv::api {

namespace {

std::string CurrentTimestamp(LibraryState& state) {
  const platform::LocalTime now = state.platform.CurrentLocalTime();
  return core::FormatTimestamp(now.year, now.month, now.day, now.hour, now.minute);
}

// Texts that the document would give back as they went in.
bool AreStorableHeaderTexts(std::string_view author, std::string_view version,
                            std::string_view wellId) {
  return io::IsStorableAttribute(author) && io::IsStorableAttribute(version) &&
         io::IsStorableAttribute(wellId);
}

// After a new or rewritten put object, values start at its top level and
// the next value enumeration takes a new snapshot.
void SelectPutObject(LibraryState& state, int index) {
  state.putObjectIndex = index;
  state.valueCursor = -2;
  state.ClearPutCursor();
}

}  // namespace

}  // namespace kuv::api

using kuv::LibraryState;

int KuvCreateObject(const char* id, const char* author, const char* version, const char* wellId) {
  if (id == nullptr || author == nullptr || version == nullptr || wellId == nullptr) return 0;
  return kuv::WhenAttached([&](LibraryState& state) {
    if (!kuv::io::IsStorableAttribute(id) ||
        !kuv::api::AreStorableHeaderTexts(author, version, wellId)) {
      return 0;
    }
    if (state.dataStore.Find(id) >= 0) return 0;
    std::string date = kuv::api::CurrentTimestamp(state);
    kuv::CBusinessObject* object = state.dataStore.Append(id);
    const int index = state.dataStore.GetCount() - 1;
    try {
      object->version = version;
      object->author = author;
      object->wellId = wellId;
      object->date = std::move(date);
      kuv::core::CopyTemplateDefinitions(state.templateStore, id, object->TableDefs,
                                         object->FieldDefs);
    } catch (...) {
      state.dataStore.RemoveAt(index);  // out of memory: leave no half-made object
      throw;
    }
    kuv::api::SelectPutObject(state, index);
    return 1;
  });
}

int KuvPutObject(const char* id, const char* author, const char* version, const char* wellId) {
  if (id == nullptr || author == nullptr || version == nullptr || wellId == nullptr) return 0;
  return kuv::WhenAttached([&](LibraryState& state) {
    if (!kuv::api::AreStorableHeaderTexts(author, version, wellId)) return 0;
    const int index = state.dataStore.Find(id);
    if (index < 0) return 0;
    kuv::CBusinessObject& object = *state.dataStore.GetAt(index);

    // Everything that allocates is built aside, so that running out of
    // memory leaves the object as it was.
    std::string newVersion(version);
    std::string newAuthor(author);
    std::string newWellId(wellId);
    std::string newDate = kuv::api::CurrentTimestamp(state);
    kuv::TableDefMap tableDefs = object.TableDefs;
    kuv::FieldDefMap fieldDefs = object.FieldDefs;
    kuv::core::CopyTemplateDefinitions(state.templateStore, id, tableDefs, fieldDefs);

    // The put cursor may point into the tables about to go.
    kuv::api::SelectPutObject(state, index);
    object.ClearTables();
    object.version.swap(newVersion);
    object.author.swap(newAuthor);
    object.wellId.swap(newWellId);
    object.date.swap(newDate);
    object.TableDefs.swap(tableDefs);
    object.FieldDefs.swap(fieldDefs);
    return 1;
  });
}

int KuvDeleteObject(const char* id) {
  if (id == nullptr) return 0;
  return kuv::WhenAttached([&](LibraryState& state) {
    const int index = state.dataStore.Find(id);
    if (index < 0) return 0;
    // The put cursor must not outlive the tree it points into. The indexes
    // stay as they are: callers walking the store count on that.
    if (state.putOwner == state.dataStore.GetAt(index)) state.ClearPutCursor();
    state.dataStore.RemoveAt(index);
    return 1;
  });
}

int KuvCreateTableDef(const char* table, const char* parent) {
  if (table == nullptr || parent == nullptr) return 0;
  return kuv::WhenAttached([&](LibraryState& state) {
    kuv::CBusinessObject* object = state.dataStore.GetAt(state.putObjectIndex);
    if (object == nullptr) return 0;
    const std::string_view tableName(table);
    const std::string_view parentName(parent);
    if (!kuv::io::IsStorableName(tableName)) return 0;
    if (!parentName.empty() && !kuv::io::IsStorableName(parentName)) return 0;
    // A table name that is a whole field key ("table<TAB>field") is taken.
    if (object->FieldDefs.find(tableName) != object->FieldDefs.end()) return 0;
    if (!parentName.empty() && object->TableDefs.find(parentName) == object->TableDefs.end()) {
      return 0;
    }
    object->SetTableDef(tableName, parentName);
    return 1;
  });
}

int KuvCreateFieldDef(const char* table, const char* field, const char* unit, const char* type) {
  if (table == nullptr || field == nullptr || unit == nullptr || type == nullptr) return 0;
  return kuv::WhenAttached([&](LibraryState& state) {
    kuv::CBusinessObject* object = state.dataStore.GetAt(state.putObjectIndex);
    if (object == nullptr) return 0;
    const std::string_view tableName(table);
    const std::string_view fieldName(field);
    if (!kuv::io::IsStorableName(tableName) || !kuv::io::IsStorableName(fieldName) ||
        !kuv::io::IsStorableAttribute(unit) || !kuv::io::IsStorableAttribute(type)) {
      return 0;
    }
    if (object->FindFieldDef(tableName, fieldName) != nullptr) return 0;  // the first one stays
    // A field may not bear the name of a table of the same object.
    if (object->TableDefs.find(fieldName) != object->TableDefs.end()) return 0;
    std::string definition(unit);
    definition.push_back(kuv::kDefinitionSeparator);
    definition.append(type);
    object->SetFieldDef(kuv::MakeFieldKey(tableName, fieldName), definition);
    return 1;
  });
}
