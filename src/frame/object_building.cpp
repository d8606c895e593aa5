// Creating, rewriting and deleting business objects of the data store, and
// adding definitions and values to the object being built. A refused call
// changes neither the store nor any cursor: every check comes before the
// first change, and work that may fail on memory is done on copies or
// undone.
#include <string>

#include "core/definition_rules.h"
#include "core/put_value.h"
#include "core/template_definitions.h"
#include "frame/library_state.h"
#include "io/storable_text.h"
#include "model/definitions.h"

namespace kuv {

namespace {

// Texts that the document would give back as they went in.
bool AreStorableHeaderTexts(std::string_view author, std::string_view version,
                            std::string_view wellId) {
  return io::IsStorableAttribute(author) && io::IsStorableAttribute(version) &&
         io::IsStorableAttribute(wellId);
}

}  // namespace

bool LibraryState::CreateObject(std::string_view id, std::string_view author,
                                std::string_view version, std::string_view wellId) {
  if (!io::IsStorableAttribute(id) || !AreStorableHeaderTexts(author, version, wellId)) {
    return false;
  }
  if (dataStore_.Find(id) >= 0) return false;
  std::string date = CurrentTimestamp();
  CBusinessObject* object = dataStore_.Append(id);
  const int index = dataStore_.GetCount() - 1;
  try {
    object->version = version;
    object->author = author;
    object->wellId = wellId;
    object->date = std::move(date);
    core::CopyTemplateDefinitions(templateStore_, id, object->TableDefs, object->FieldDefs);
  } catch (...) {
    dataStore_.RemoveAt(index);  // out of memory: leave no half-made object
    throw;
  }
  SelectPutObject(index);
  return true;
}

bool LibraryState::RewriteObject(std::string_view id, std::string_view author,
                                 std::string_view version, std::string_view wellId) {
  if (!AreStorableHeaderTexts(author, version, wellId)) return false;
  const int index = dataStore_.Find(id);
  if (index < 0) return false;
  CBusinessObject& object = *dataStore_.GetAt(index);

  // Everything that allocates is built aside, so that running out of
  // memory leaves the object as it was.
  std::string newVersion(version);
  std::string newAuthor(author);
  std::string newWellId(wellId);
  std::string newDate = CurrentTimestamp();
  TableDefMap tableDefs = object.TableDefs;
  FieldDefMap fieldDefs = object.FieldDefs;
  core::CopyTemplateDefinitions(templateStore_, id, tableDefs, fieldDefs);

  // The put cursor may point into the tables about to go.
  SelectPutObject(index);
  object.ClearTables();
  object.version.swap(newVersion);
  object.author.swap(newAuthor);
  object.wellId.swap(newWellId);
  object.date.swap(newDate);
  object.TableDefs.swap(tableDefs);
  object.FieldDefs.swap(fieldDefs);
  return true;
}

bool LibraryState::DeleteObject(std::string_view id) {
  const int index = dataStore_.Find(id);
  if (index < 0) return false;
  // The put cursor must not outlive the tree it points into. The indexes
  // stay as they are: callers walking the store count on that.
  if (putOwner_ == dataStore_.GetAt(index)) ForgetPutCursor();
  dataStore_.RemoveAt(index);
  return true;
}

bool LibraryState::DefineTable(std::string_view table, std::string_view parent) {
  CBusinessObject* object = PutObject();
  return object != nullptr && core::DefineTable(*object, table, parent) == nullptr;
}

bool LibraryState::DefineField(std::string_view table, std::string_view field,
                               std::string_view unit, std::string_view type) {
  CBusinessObject* object = PutObject();
  return object != nullptr && core::DefineField(*object, table, field, unit, type) == nullptr;
}

bool LibraryState::PutValue(std::string_view table, std::string_view field,
                            std::string_view value) {
  CBusinessObject* object = PutObject();
  if (object == nullptr) return false;
  // A cursor left in the tree of another object (or of none, once the
  // store was cleared or its object removed) is never followed: the value
  // then starts at the top level of the put object.
  PutPosition position;
  if (putOwner_ == object) position = putPosition_;
  if (core::PutValue(*object, position, table, field, value) != nullptr) return false;
  putPosition_ = position;
  putOwner_ = object;
  return true;
}

}  // namespace kuv
