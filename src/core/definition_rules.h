// Declaring tables and fields in an object being built, by the rules of
// KuvCreateTableDef and KuvCreateFieldDef: the C interface and the document
// API both come here. Each rule answers why it refuses, or null when it
// did what it was asked; a refusal changes nothing.
#ifndef KUV_CORE_DEFINITION_RULES_H_
#define KUV_CORE_DEFINITION_RULES_H_

#include <string_view>

#include "model/business_object.h"

namespace kuv::core {

// Declares table with parent ("" for a top-level table), replacing the
// parent of a table declared already. Refused when a non-empty parent is
// not declared, the table name is a whole field key, or a name cannot be
// stored.
const char* DefineTable(CBusinessObject& object, std::string_view table, std::string_view parent);

// Declares field of table with its unit and type. Refused when it is
// declared already (the first declaration stays), when the field bears the
// name of a declared table, or a text cannot be stored.
const char* DefineField(CBusinessObject& object, std::string_view table, std::string_view field,
                        std::string_view unit, std::string_view type);

}  // namespace kuv::core

#endif  // KUV_CORE_DEFINITION_RULES_H_
