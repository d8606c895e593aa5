#include "core/definition_rules.h"

#include <string>

#include "io/storable_text.h"
#include "model/definitions.h"

namespace kuv::core {

bool DefineTable(CBusinessObject& object, std::string_view table, std::string_view parent) {
  if (!io::IsStorableName(table)) return false;
  if (!parent.empty() && !io::IsStorableName(parent)) return false;
  // A table name that is a whole field key ("table<TAB>field") is taken.
  if (object.FieldDefs.find(table) != object.FieldDefs.end()) return false;
  if (!parent.empty() && object.TableDefs.find(parent) == object.TableDefs.end()) return false;
  object.SetTableDef(table, parent);
  return true;
}

bool DefineField(CBusinessObject& object, std::string_view table, std::string_view field,
                 std::string_view unit, std::string_view type) {
  if (!io::IsStorableName(table) || !io::IsStorableName(field) || !io::IsStorableAttribute(unit) ||
      !io::IsStorableAttribute(type)) {
    return false;
  }
  if (object.FindFieldDef(table, field) != nullptr) return false;  // the first one stays
  // A field may not bear the name of a table of the same object.
  if (object.TableDefs.find(field) != object.TableDefs.end()) return false;
  std::string definition(unit);
  definition.push_back(kDefinitionSeparator);
  definition.append(type);
  object.SetFieldDef(MakeFieldKey(table, field), definition);
  return true;
}

}  // namespace kuv::core
