// A new or rewritten business object takes the definitions that the
// template holds under its ID.
#ifndef KUV_CORE_TEMPLATE_DEFINITIONS_H_
#define KUV_CORE_TEMPLATE_DEFINITIONS_H_

#include <string_view>

#include "model/definitions.h"
#include "model/object_store.h"

namespace kuv::core {

// Merges the definitions of every template object with this ID into the
// maps, in the template's order, so that a later one wins on equal keys;
// entries under other keys stay.
void CopyTemplateDefinitions(const CObjectStore& templates, std::string_view id,
                             TableDefMap& tableDefs, FieldDefMap& fieldDefs);

// The definition of a field (its key "table<TAB>field" and "unit<TAB>type")
// under the first template object with this ID that declares it, as
// KuvGetFieldDef finds it: an object of the kind that lacks the field does
// not end the search. Null when none declares it.
const FieldDefMap::value_type* FindTemplateFieldDef(const CObjectStore& templates,
                                                    std::string_view id, std::string_view table,
                                                    std::string_view field);

}  // namespace kuv::core

#endif  // KUV_CORE_TEMPLATE_DEFINITIONS_H_
