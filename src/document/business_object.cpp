// Business objects of the document API: header, data description, tables
// and the putting of values, over the model and the rules the C interface
// uses.
#include <string>

#include "core/definition_rules.h"
#include "core/put_value.h"
#include "core/template_definitions.h"
#include "core/timestamp.h"
#include "document/checked_text.h"
#include "document/current_date.h"
#include "document/definition_views.h"
#include "kuv/document.hpp"
#include "model/object_store.h"

namespace kuv {

namespace {

Table TableAt(const void* owner, std::size_t index) {
  return Table(static_cast<const CBusinessObject*>(owner)->tables()[index].get());
}

std::string JoinAtTab(std::string_view first, std::string_view second) {
  std::string text;
  text.reserve(first.size() + 1 + second.size());
  text.append(first).push_back(kDefinitionSeparator);
  text.append(second);
  return text;
}

}  // namespace

std::string_view BusinessObject::id() const { return object_->id; }
std::string_view BusinessObject::author() const { return object_->author; }
std::string_view BusinessObject::version() const { return object_->version; }
std::string_view BusinessObject::well_id() const { return object_->wellId; }
std::string_view BusinessObject::date() const { return object_->date; }

void BusinessObject::set_id(std::string_view text) {
  document::RequireStorableAttribute(text, "ID");
  object_->id.assign(text);
}
void BusinessObject::set_author(std::string_view text) {
  document::RequireStorableAttribute(text, "Author");
  object_->author.assign(text);
}
void BusinessObject::set_version(std::string_view text) {
  document::RequireStorableAttribute(text, "Version");
  object_->version.assign(text);
}
void BusinessObject::set_well_id(std::string_view text) {
  document::RequireStorableAttribute(text, "WellID");
  object_->wellId.assign(text);
}
void BusinessObject::set_date(std::string_view text) {
  document::RequireStorableAttribute(text, "Date");
  object_->date.assign(text);
}

std::vector<TableDefinition> BusinessObject::table_definitions() const {
  std::vector<TableDefinition> definitions;
  definitions.reserve(object_->TableDefs.size());
  for (const auto& [table, parent] : object_->TableDefs) definitions.push_back({table, parent});
  return definitions;
}

std::vector<FieldDefinition> BusinessObject::field_definitions() const {
  std::vector<FieldDefinition> definitions;
  definitions.reserve(object_->FieldDefs.size());
  for (const auto& [key, definition] : object_->FieldDefs) {
    definitions.push_back(document::ViewFieldDefinition(key, definition));
  }
  return definitions;
}

std::optional<std::string_view> BusinessObject::parent_of(std::string_view table) const {
  const auto found = object_->TableDefs.find(table);
  if (found == object_->TableDefs.end()) return std::nullopt;
  return std::string_view(found->second);
}

std::optional<FieldDefinition> BusinessObject::field_definition(std::string_view table,
                                                                std::string_view field) const {
  const auto found = object_->FieldDefs.find(FieldKey{table, field});
  if (found == object_->FieldDefs.end()) return std::nullopt;
  return document::ViewFieldDefinition(found->first, found->second);
}

bool BusinessObject::DefineTable(std::string_view table, std::string_view parent) {
  return core::DefineTable(*object_, table, parent);
}

bool BusinessObject::DefineField(std::string_view table, std::string_view field,
                                 std::string_view unit, std::string_view type) {
  return core::DefineField(*object_, table, field, unit, type);
}

// Definitions stand in attributes only, so the rules of attribute texts
// are all they need.
void BusinessObject::SetTableDefinition(std::string_view table, std::string_view parent) {
  document::RequireStorableAttribute(table, "table name");
  document::RequireStorableAttribute(parent, "parent table name");
  object_->SetTableDef(table, parent);
}

void BusinessObject::SetFieldDefinition(std::string_view table, std::string_view field,
                                        std::string_view unit, std::string_view type) {
  document::RequireStorableAttribute(table, "table name");
  document::RequireStorableAttribute(field, "field name");
  document::RequireStorableAttribute(unit, "unit");
  document::RequireStorableAttribute(type, "type");
  object_->SetFieldDef(MakeFieldKey(table, field), JoinAtTab(unit, type));
}

bool BusinessObject::RemoveTableDefinition(std::string_view table) {
  const auto found = object_->TableDefs.find(table);
  if (found == object_->TableDefs.end()) return false;
  object_->TableDefs.erase(found);
  return true;
}

bool BusinessObject::RemoveFieldDefinition(std::string_view table, std::string_view field) {
  const auto found = object_->FieldDefs.find(FieldKey{table, field});
  if (found == object_->FieldDefs.end()) return false;
  object_->FieldDefs.erase(found);
  return true;
}

Items<Table> BusinessObject::tables() const {
  return Items<Table>(object_, object_->tables().size(), TableAt);
}

Table BusinessObject::AddTable(std::string_view name) {
  document::RequireStorableName(name, "table name");
  return Table(object_->AddTable(name));
}

void BusinessObject::ClearTables() { object_->ClearTables(); }

bool BusinessObject::Put(std::string_view table, std::string_view field, std::string_view value) {
  return core::PutValue(*object_, object_->putPosition, table, field, value);
}

void BusinessObject::ResetPutPosition() { object_->putPosition = PutPosition{}; }

void BusinessObject::Rewrite(std::string_view author, std::string_view version,
                             std::string_view well_id, const Template* with_definitions_of) {
  document::RequireStorableAttribute(author, "Author");
  document::RequireStorableAttribute(version, "Version");
  document::RequireStorableAttribute(well_id, "WellID");
  // Everything that allocates is built aside, so that running out of
  // memory leaves the object as it was.
  std::string newAuthor(author);
  std::string newVersion(version);
  std::string newWellId(well_id);
  std::string newDate = document::CurrentDateText();
  TableDefMap tableDefs = object_->TableDefs;
  FieldDefMap fieldDefs = object_->FieldDefs;
  if (with_definitions_of != nullptr) {
    core::CopyTemplateDefinitions(*with_definitions_of->document_.store_, object_->id, tableDefs,
                                  fieldDefs);
  }
  object_->ClearTables();
  object_->author.swap(newAuthor);
  object_->version.swap(newVersion);
  object_->wellId.swap(newWellId);
  object_->date.swap(newDate);
  object_->TableDefs.swap(tableDefs);
  object_->FieldDefs.swap(fieldDefs);
}

}  // namespace kuv
