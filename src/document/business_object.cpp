// Business objects of the document API: header, data description, tables
// and the putting of values, over the model and the rules the C interface
// uses.
#include <stdexcept>
#include <string>

#include "core/definition_rules.h"
#include "core/put_value.h"
#include "core/template_definitions.h"
#include "core/timestamp.h"
#include "document/checked_text.h"
#include "document/current_date.h"
#include "document/definition_views.h"
#include "document/live_nodes.h"
#include "document/put_positions.h"
#include "io/read_back_check.h"
#include "kuv/document.hpp"
#include "model/object_store.h"

namespace kuv {

namespace {

using document::Quoted;

Table TableAt(const void* owner, std::uint32_t generation, std::size_t index) {
  const auto* object =
      document::LiveNode(static_cast<const CBusinessObject*>(owner), generation, "business object");
  if (index >= object->tables().size()) throw std::out_of_range("kuv: the item is gone");
  return Table(object->tables()[index].get());
}

std::string JoinAtTab(std::string_view first, std::string_view second) {
  std::string text;
  text.reserve(first.size() + 1 + second.size());
  text.append(first).push_back(kDefinitionSeparator);
  text.append(second);
  return text;
}

std::string FieldName(std::string_view table, std::string_view field) {
  return "field " + Quoted(field) + " of table " + Quoted(table);
}

}  // namespace

BusinessObject::BusinessObject(CBusinessObject* object)
    : object_(object), generation_(GenerationOf(object)) {}

CBusinessObject* BusinessObject::live() const {
  return document::LiveNode(object_, generation_, "business object");
}

std::string_view BusinessObject::id() const { return live()->id; }
std::string_view BusinessObject::author() const { return live()->author; }
std::string_view BusinessObject::version() const { return live()->version; }
std::string_view BusinessObject::well_id() const { return live()->wellId; }
std::string_view BusinessObject::date() const { return live()->date; }

void BusinessObject::set_id(std::string_view text) {
  CBusinessObject* object = live();
  document::RequireStorableAttribute(text, "ID");
  object->id.assign(text);
}
void BusinessObject::set_author(std::string_view text) {
  CBusinessObject* object = live();
  document::RequireStorableAttribute(text, "Author");
  object->author.assign(text);
}
void BusinessObject::set_version(std::string_view text) {
  CBusinessObject* object = live();
  document::RequireStorableAttribute(text, "Version");
  object->version.assign(text);
}
void BusinessObject::set_well_id(std::string_view text) {
  CBusinessObject* object = live();
  document::RequireStorableAttribute(text, "WellID");
  object->wellId.assign(text);
}
void BusinessObject::set_date(std::string_view text) {
  CBusinessObject* object = live();
  document::RequireStorableAttribute(text, "Date");
  object->date.assign(text);
}

std::vector<TableDefinition> BusinessObject::table_definitions() const {
  const CBusinessObject* object = live();
  std::vector<TableDefinition> definitions;
  definitions.reserve(object->TableDefs.size());
  for (const auto& [table, parent] : object->TableDefs) definitions.push_back({table, parent});
  return definitions;
}

std::vector<FieldDefinition> BusinessObject::field_definitions() const {
  const CBusinessObject* object = live();
  std::vector<FieldDefinition> definitions;
  definitions.reserve(object->FieldDefs.size());
  for (const auto& [key, definition] : object->FieldDefs) {
    definitions.push_back(document::ViewFieldDefinition(key, definition));
  }
  return definitions;
}

std::optional<std::string_view> BusinessObject::parent_of(std::string_view table) const {
  const CBusinessObject* object = live();
  const auto found = object->TableDefs.find(table);
  if (found == object->TableDefs.end()) return std::nullopt;
  return std::string_view(found->second);
}

std::optional<FieldDefinition> BusinessObject::field_definition(std::string_view table,
                                                                std::string_view field) const {
  const CBusinessObject* object = live();
  const auto found = object->FieldDefs.find(FieldKey{table, field});
  if (found == object->FieldDefs.end()) return std::nullopt;
  return document::ViewFieldDefinition(found->first, found->second);
}

ValueKind BusinessObject::field_kind(std::string_view table, std::string_view field) const {
  const std::optional<FieldDefinition> definition = field_definition(table, field);
  return definition ? KindOfType(definition->type) : ValueKind::kText;
}

void BusinessObject::DefineTable(std::string_view table, std::string_view parent) {
  document::RequireDone(core::DefineTable(*live(), table, parent),
                        "cannot declare the table " + Quoted(table));
}

void BusinessObject::DefineField(std::string_view table, std::string_view field,
                                 std::string_view unit, std::string_view type) {
  document::RequireDone(core::DefineField(*live(), table, field, unit, type),
                        "cannot declare the " + FieldName(table, field));
}

// Definitions stand in attributes only, so the rules of attribute texts
// are all they need, but that a tab parts a key's table from its field and
// a definition's unit from its type.
void BusinessObject::SetTableDefinition(std::string_view table, std::string_view parent) {
  CBusinessObject* object = live();
  document::RequireStorableAttribute(table, "table name");
  document::RequireStorableAttribute(parent, "parent table name");
  object->SetTableDef(table, parent);
}

void BusinessObject::SetFieldDefinition(std::string_view table, std::string_view field,
                                        std::string_view unit, std::string_view type) {
  CBusinessObject* object = live();
  document::RequireStorableAttribute(table, "table name");
  document::RequireStorableAttribute(field, "field name");
  document::RequireStorableUnit(unit);
  document::RequireStorableAttribute(type, "type");
  if (table.find(kDefinitionSeparator) != std::string_view::npos ||
      field.find(kDefinitionSeparator) != std::string_view::npos) {
    document::Refuse("cannot define the " + FieldName(table, field),
                     "a name holds a tab, which separates the names of a definition");
  }
  object->SetFieldDef(MakeFieldKey(table, field), JoinAtTab(unit, type));
}

void BusinessObject::RemoveTableDefinition(std::string_view table) {
  CBusinessObject* object = live();
  const auto found = object->TableDefs.find(table);
  if (found == object->TableDefs.end()) {
    document::Refuse("cannot remove the definition of table " + Quoted(table), "there is none");
  }
  object->TableDefs.erase(found);
}

void BusinessObject::RemoveFieldDefinition(std::string_view table, std::string_view field) {
  CBusinessObject* object = live();
  const auto found = object->FieldDefs.find(FieldKey{table, field});
  if (found == object->FieldDefs.end()) {
    document::Refuse("cannot remove the definition of " + FieldName(table, field), "there is none");
  }
  object->FieldDefs.erase(found);
}

std::optional<ReadBackProblem> BusinessObject::FindReadBackProblem() const {
  return io::FindReadBackProblem(*live());
}

Items<Table> BusinessObject::tables() const {
  return Items<Table>(object_, generation_, live()->tables().size(), TableAt);
}

Table BusinessObject::AddTable(std::string_view name) {
  CBusinessObject* object = live();
  document::RequireStorableName(name, "table name");
  return Table(object->AddTable(name));
}

void BusinessObject::RemoveTable(std::size_t index) {
  CBusinessObject* object = live();
  if (index >= object->tables().size()) throw std::out_of_range("kuv: no table at that index");
  document::PutPositionsOf(object).ForgetWithin(object->tables()[index].get());
  object->RemoveTable(index);
}

void BusinessObject::ClearTables() {
  CBusinessObject* object = live();
  document::PutPositionsOf(object).Forget(object);
  object->ClearTables();
}

void BusinessObject::Put(std::string_view table, std::string_view field, std::string_view value) {
  CBusinessObject* object = live();
  PutPosition& position = document::PutPositionsOf(object).Of(object);
  document::RequireDone(core::PutValue(*object, position, table, field, value),
                        "cannot put a value of " + FieldName(table, field));
}

void BusinessObject::ResetPutPosition() {
  CBusinessObject* object = live();
  document::PutPositionsOf(object).Forget(object);
}

void BusinessObject::Rewrite(std::string_view author, std::string_view version,
                             std::string_view well_id, const Template* with_definitions_of) {
  CBusinessObject* object = live();
  document::RequireStorableAttribute(author, "Author");
  document::RequireStorableAttribute(version, "Version");
  document::RequireStorableAttribute(well_id, "WellID");
  // Everything that allocates is built aside, so that running out of
  // memory leaves the object as it was.
  std::string newAuthor(author);
  std::string newVersion(version);
  std::string newWellId(well_id);
  std::string newDate = document::CurrentDateText();
  TableDefMap tableDefs = object->TableDefs;
  FieldDefMap fieldDefs = object->FieldDefs;
  if (with_definitions_of != nullptr) {
    core::CopyTemplateDefinitions(*with_definitions_of->document_.store_, object->id, tableDefs,
                                  fieldDefs);
  }
  document::PutPositionsOf(object).Forget(object);
  object->ClearTables();
  object->author.swap(newAuthor);
  object->version.swap(newVersion);
  object->wellId.swap(newWellId);
  object->date.swap(newDate);
  object->TableDefs.swap(tableDefs);
  object->FieldDefs.swap(fieldDefs);
}

}  // namespace kuv
