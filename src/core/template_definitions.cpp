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

}  // namespace kuv::core
