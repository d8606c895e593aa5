#include "core/definition_rules.h"

#include <string>

#include "io/storable_text.h"
#include "model/definitions.h"

namespace kuv::core {

const char* DefineTable(CBusinessObject& object, std::string_view table, std::string_view parent) {
  if (const char* why = io::WhyNotStorableName(table)) return why;
  if (!parent.empty()) {
    if (const char* why = io::WhyNotStorableName(parent)) return why;
  }
  // A table name that is a whole field key ("table<TAB>field") is taken.
  if (object.FieldDefs.find(table) != object.FieldDefs.end()) {
    return "the name is taken by a field's definition";
  }
  if (!parent.empty() && object.TableDefs.find(parent) == object.TableDefs.end()) {
    return "its parent table is not declared";
  }
  object.SetTableDef(table, parent);
  return nullptr;
}

const char* DefineField(CBusinessObject& object, std::string_view table, std::string_view field,
                        std::string_view unit, std::string_view type) {
  for (const char* why : {io::WhyNotStorableName(table), io::WhyNotStorableName(field),
                          io::WhyNotStorableUnit(unit), io::WhyNotStorableAttribute(type)}) {
    if (why != nullptr) return why;
  }
  if (object.FindFieldDef(table, field) != nullptr) return "the field is declared already";
  // A field may not bear the name of a table of the same object.
  if (object.TableDefs.find(field) != object.TableDefs.end()) {
    return "the field bears the name of a declared table";
  }
  std::string definition(unit);
  definition.push_back(kDefinitionSeparator);
  definition.append(type);
  object.SetFieldDef(MakeFieldKey(table, field), definition);
  return nullptr;
}

}  // namespace kuv::core
