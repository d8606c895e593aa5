// Two documents compared: objects matched by ID, then each pair's header,
// definitions and tables.
#include "kuv/diff.hpp"

#include <functional>
#include <map>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "document/diff_tables.h"

namespace kuv {

const char* NameOf(DiffPart part) {
  switch (part) {
    case DiffPart::kObject:
      return "object";
    case DiffPart::kHeader:
      return "header";
    case DiffPart::kTableDefinition:
      return "table definition";
    case DiffPart::kFieldDefinition:
      return "field definition";
    case DiffPart::kTable:
      return "table";
    case DiffPart::kRow:
      return "row";
    case DiffPart::kValue:
      return "value";
  }
  return "";
}

const char* NameOf(DiffChange change) {
  switch (change) {
    case DiffChange::kAdded:
      return "added";
    case DiffChange::kRemoved:
      return "removed";
    case DiffChange::kChanged:
      return "changed";
  }
  return "";
}

namespace {

using Report = std::function<void(const Difference&)>;

Difference Of(const Difference& prototype, DiffPart part, DiffChange change) {
  Difference difference = prototype;
  difference.part = part;
  difference.change = change;
  return difference;
}

void DiffHeaders(const BusinessObject& before, const BusinessObject& after,
                 const Difference& prototype, const Report& report) {
  const std::pair<const char*, std::string_view (BusinessObject::*)() const> attributes[] = {
      {"Author", &BusinessObject::author},
      {"Version", &BusinessObject::version},
      {"WellID", &BusinessObject::well_id},
      {"Date", &BusinessObject::date}};
  for (const auto& [name, text] : attributes) {
    const std::string_view a = (before.*text)();
    const std::string_view b = (after.*text)();
    if (a == b) continue;
    Difference difference = Of(prototype, DiffPart::kHeader, DiffChange::kChanged);
    difference.attribute = name;
    difference.before = std::string(a);
    difference.after = std::string(b);
    report(difference);
  }
}

std::string ParentText(std::string_view parent) { return "Parent=" + std::string(parent); }

std::string UnitAndType(const FieldDefinition& field) {
  return "Unit=" + std::string(field.unit) + ", Type=" + std::string(field.type);
}

void DiffTableDefinitions(const BusinessObject& before, const BusinessObject& after,
                          const Difference& prototype, const Report& report) {
  const std::vector<TableDefinition> a = before.table_definitions();
  const std::vector<TableDefinition> b = after.table_definitions();
  std::map<std::string_view, const TableDefinition*> inAfter;
  for (const TableDefinition& table : b) inAfter.emplace(table.table, &table);
  for (const TableDefinition& table : a) {
    Difference difference = Of(prototype, DiffPart::kTableDefinition, DiffChange::kRemoved);
    difference.table = std::string(table.table);
    const auto found = inAfter.find(table.table);
    if (found == inAfter.end()) {
      difference.before = ParentText(table.parent);
      report(difference);
    } else if (found->second->parent != table.parent) {
      difference.change = DiffChange::kChanged;
      difference.attribute = "Parent";
      difference.before = std::string(table.parent);
      difference.after = std::string(found->second->parent);
      report(difference);
    }
  }
  for (const TableDefinition& table : b) {
    if (before.parent_of(table.table)) continue;
    Difference difference = Of(prototype, DiffPart::kTableDefinition, DiffChange::kAdded);
    difference.table = std::string(table.table);
    difference.after = ParentText(table.parent);
    report(difference);
  }
}

void DiffFieldDefinitions(const BusinessObject& before, const BusinessObject& after,
                          const Difference& prototype, const Report& report) {
  for (const FieldDefinition& field : before.field_definitions()) {
    Difference difference = Of(prototype, DiffPart::kFieldDefinition, DiffChange::kRemoved);
    difference.table = std::string(field.table);
    difference.field = std::string(field.field);
    const std::optional<FieldDefinition> other = after.field_definition(field.table, field.field);
    if (!other) {
      difference.before = UnitAndType(field);
      report(difference);
      continue;
    }
    difference.change = DiffChange::kChanged;
    for (const auto& [name, a, b] : {std::tuple("Unit", field.unit, other->unit),
                                     std::tuple("Type", field.type, other->type)}) {
      if (a == b) continue;
      difference.attribute = name;
      difference.before = std::string(a);
      difference.after = std::string(b);
      report(difference);
    }
  }
  for (const FieldDefinition& field : after.field_definitions()) {
    if (before.field_definition(field.table, field.field)) continue;
    Difference difference = Of(prototype, DiffPart::kFieldDefinition, DiffChange::kAdded);
    difference.table = std::string(field.table);
    difference.field = std::string(field.field);
    difference.after = UnitAndType(field);
    report(difference);
  }
}

void DiffObjects(const BusinessObject& before, const BusinessObject& after,
                 const DiffOptions& options, const Difference& prototype, const Report& report) {
  DiffHeaders(before, after, prototype, report);
  DiffTableDefinitions(before, after, prototype, report);
  DiffFieldDefinitions(before, after, prototype, report);
  diff_detail::DiffTables(before, after, options, prototype, report);
}

// Which object of its ID each is: 1 for the first, 2 for the second...
std::vector<std::size_t> NumbersById(const Document& document) {
  std::map<std::string_view, std::size_t> seen;
  std::vector<std::size_t> numbers;
  for (const BusinessObject object : document.objects()) numbers.push_back(++seen[object.id()]);
  return numbers;
}

Difference ObjectPrototype(const BusinessObject& object, std::size_t number) {
  Difference prototype;
  prototype.object = std::string(object.id());
  prototype.objectNumber = number;
  return prototype;
}

}  // namespace

void Diff(const Document& before, const Document& after, const DiffOptions& options,
          const Report& report) {
  const Items<BusinessObject> a = before.objects();
  const Items<BusinessObject> b = after.objects();
  const std::vector<std::size_t> aNumbers = NumbersById(before);
  const std::vector<std::size_t> bNumbers = NumbersById(after);
  std::map<std::pair<std::string_view, std::size_t>, std::size_t> inAfter;
  for (std::size_t j = 0; j < b.size(); ++j) inAfter.emplace(std::pair(b[j].id(), bNumbers[j]), j);
  std::vector<bool> matched(b.size(), false);

  for (std::size_t i = 0; i < a.size(); ++i) {
    const BusinessObject object = a[i];
    const Difference prototype = ObjectPrototype(object, aNumbers[i]);
    const auto found = inAfter.find(std::pair(object.id(), aNumbers[i]));
    if (found == inAfter.end()) {
      report(Of(prototype, DiffPart::kObject, DiffChange::kRemoved));
      continue;
    }
    matched[found->second] = true;
    DiffObjects(object, b[found->second], options, prototype, report);
  }
  for (std::size_t j = 0; j < b.size(); ++j) {
    if (!matched[j])
      report(Of(ObjectPrototype(b[j], bNumbers[j]), DiffPart::kObject, DiffChange::kAdded));
  }
}

}  // namespace kuv
