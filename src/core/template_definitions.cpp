#include "core/template_definitions.h"

namespace kuv::core {

namespace {

// Stores every entry of from in to; an entry under an existing key
// replaces its value.
template <typename Map>
void AssignEntries(const Map& from, Map& to) {
  for (const auto& [key, value] : from) {
    auto slot = to.lower_bound(key);
    if (slot != to.end() && slot->first == key) {
      slot->second = value;
    } else {
      to.emplace_hint(slot, key, value);
    }
  }
}

}  // namespace

void CopyTemplateDefinitions(const CObjectStore& templates, std::string_view id,
                             TableDefMap& tableDefs, FieldDefMap& fieldDefs) {
  for (const auto& entry : templates.objects()) {
    if (entry->id != id) continue;
    AssignEntries(entry->TableDefs, tableDefs);
    AssignEntries(entry->FieldDefs, fieldDefs);
  }
}

const FieldDefMap::value_type* FindTemplateFieldDef(const CObjectStore& templates,
                                                    std::string_view id, std::string_view table,
                                                    std::string_view field) {
  for (const auto& object : templates.objects()) {
    if (object->id != id) continue;
    const auto found = object->FieldDefs.find(FieldKey{table, field});
    if (found != object->FieldDefs.end()) return &*found;
  }
  return nullptr;
}

}  // namespace kuv::core
