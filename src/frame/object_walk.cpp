// Questions about the data store and the template, and the walks over the
// data store's objects and over the current object's values.
#include "core/template_definitions.h"
#include "core/value_enumeration.h"
#include "frame/library_state.h"

namespace kuv {

ObjectNameList& LibraryState::ListObjectNames() {
  objectNames_.Assign(dataStore_);
  return objectNames_;
}

bool LibraryState::ObjectExists(std::string_view id) const { return dataStore_.Find(id) >= 0; }

bool LibraryState::NextObject(HeaderTexts& out) {
  ResetValueWalk();
  const int next = getObjectIndex_ ? *getObjectIndex_ + 1 : 0;
  const CBusinessObject* object = dataStore_.GetAt(next);
  if (object == nullptr) {
    getObjectIndex_.reset();
    return false;
  }
  // Every slot is filled before the walk moves on, so that a failed copy
  // does not skip the object.
  out.id = HandOut(0, object->id);
  out.author = HandOut(1, object->author);
  out.version = HandOut(2, object->version);
  out.wellId = HandOut(3, object->wellId);
  out.date = HandOut(4, object->date);
  getObjectIndex_ = next;
  return true;
}

bool LibraryState::IsParent(std::string_view table, std::string_view parent) const {
  const CBusinessObject* object = CurrentObject();
  if (object == nullptr || table.empty() || parent.empty()) return false;
  const auto found = object->TableDefs.find(table);
  return found != object->TableDefs.end() && found->second == parent;
}

const std::string* LibraryState::FindTemplateFieldDef(std::string_view id, std::string_view table,
                                                      std::string_view field) const {
  const FieldDefMap::value_type* found =
      core::FindTemplateFieldDef(templateStore_, id, table, field);
  return found != nullptr ? &found->second : nullptr;
}

bool LibraryState::NextValue(ValueTexts& out) {
  const CBusinessObject* object = CurrentObject();
  if (object == nullptr) {
    ResetValueWalk();
    return false;
  }
  if (!values_) {
    values_ = std::make_unique<ValueList>();
    ResetValueWalk();
  }
  if (valuesStale_) {
    // The walk starts only once the snapshot is whole; a failed build is
    // simply retried by the next step.
    core::BuildValueList(*object, *values_);
    valuesStale_ = false;
    nextValue_ = 0;
  }
  if (nextValue_ >= values_->size()) {
    nextValue_ = 0;
    return false;
  }
  // Every slot is filled before the walk moves on, so that a failed copy
  // does not skip the value.
  const ValueList& list = *values_;
  const ValueList::CValueRecord& record = list.record(nextValue_);
  out.table = HandOut(0, list.name(record.table));
  out.field = HandOut(1, list.name(record.field));
  out.value = HandOut(2, list.value(record));
  out.unit = HandOut(3, list.name(record.unit));
  out.type = HandOut(4, list.name(record.type));
  out.parentTable = HandOut(5, list.name(record.parentTable));
  out.rowIndex = record.rowIndex;
  ++nextValue_;
  return true;
}

}  // namespace kuv
