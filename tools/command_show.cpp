// kuv show: each object's header, then its tables as an indented tree.
#include <algorithm>
#include <iostream>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "commands.h"
#include "content_walk.h"
#include "input_source.h"
#include "kuv/document.hpp"
#include "template_registration.h"
#include "terminal_text.h"
#include "tool_error.h"

namespace kuv::tool {

namespace {

// Deeper levels are not indented further, so that deep nesting costs
// linear output.
constexpr std::size_t kMaxIndent = 40;

std::string Indent(std::size_t level) { return std::string(2 * std::min(level, kMaxIndent), ' '); }
void AppendIndent(std::size_t level, std::string* out) {
  out->append(2 * std::min(level, kMaxIndent), ' ');
}

// The units of an object's fields in a hash table, built once per object
// rather than searched in the definitions for every value. The key joins
// table and field with a tab, as the definitions do, so that names holding
// a tab find what field_definition finds.
class UnitsOf {
 public:
  explicit UnitsOf(const BusinessObject& object) {
    for (const FieldDefinition& field : object.field_definitions()) {
      units_.emplace(Key(field.table, field.field), field.unit);
    }
  }
  std::string_view Find(std::string_view table, std::string_view field) {
    const auto found = units_.find(Key(table, field));
    return found == units_.end() ? std::string_view() : found->second;
  }

 private:
  const std::string& Key(std::string_view table, std::string_view field) {
    key_.assign(table).append(1, '\t').append(field);
    return key_;
  }

  std::unordered_map<std::string, std::string_view> units_;
  std::string key_;  // reused, so that a lookup allocates nothing
};

// The data description: each declared table with its parent and its
// fields' types and units, in the order the document lists them; fields of
// a table that is not declared come last, under that table's name.
void ShowDefinitions(const BusinessObject& object, Encoding encoding, std::string* out) {
  std::map<std::string_view, std::vector<FieldDefinition>> fieldsOf;
  for (const FieldDefinition& field : object.field_definitions()) {
    fieldsOf[field.table].push_back(field);
  }
  const auto showFields = [&](std::string_view table) {
    const auto found = fieldsOf.find(table);
    if (found == fieldsOf.end()) return;
    for (const FieldDefinition& field : found->second) {
      *out += "      " + TerminalText(field.field, encoding) + ": " +
              TerminalText(field.type, encoding);
      if (!field.unit.empty()) *out += ", " + TerminalText(field.unit, encoding);
      *out += "\n";
    }
    fieldsOf.erase(found);
  };
  *out += "  Data description\n";
  for (const TableDefinition& table : object.table_definitions()) {
    *out += "    Table " + TerminalText(table.table, encoding);
    if (!table.parent.empty()) *out += " (in " + TerminalText(table.parent, encoding) + ")";
    *out += "\n";
    showFields(table.table);
  }
  while (!fieldsOf.empty()) {
    *out += "    Table " + TerminalText(fieldsOf.begin()->first, encoding) + " (not declared)\n";
    showFields(fieldsOf.begin()->first);
  }
}

void ShowObject(const BusinessObject& object, const ShowOptions& options, std::string* out) {
  const Encoding encoding = options.encoding;
  *out += "Object " + TerminalText(object.id(), encoding) + "\n";
  *out += "  Author:  " + TerminalText(object.author(), encoding) + "\n";
  *out += "  Version: " + TerminalText(object.version(), encoding) + "\n";
  *out += "  WellID:  " + TerminalText(object.well_id(), encoding) + "\n";
  *out += "  Date:    " + TerminalText(object.date(), encoding) + "\n";
  if (options.definitions) ShowDefinitions(object, encoding, out);

  std::vector<int> rowsSoFar;  // of each open table
  UnitsOf units(object);
  ContentWalk walk(object);
  ContentEvent item;
  while (walk.Next(&item)) {
    switch (item.step) {
      case ContentStep::kOpenTable:
        *out +=
            Indent(1 + 2 * rowsSoFar.size()) + "Table " + TerminalText(item.name, encoding) + "\n";
        rowsSoFar.push_back(0);
        break;
      case ContentStep::kBeginRow:
        *out += Indent(2 * rowsSoFar.size()) + "Row " + std::to_string(++rowsSoFar.back()) + "\n";
        break;
      case ContentStep::kValue: {
        AppendIndent(1 + 2 * rowsSoFar.size(), out);
        AppendTerminalText(item.name, encoding, out);
        *out += ": ";
        AppendTerminalText(item.text, encoding, out);
        const std::string_view unit = units.Find(walk.table(), item.name);
        if (!unit.empty()) {
          *out += ' ';
          AppendTerminalText(unit, encoding, out);
        }
        *out += '\n';
        break;
      }
      case ContentStep::kCloseTable:
        rowsSoFar.pop_back();
        break;
    }
    if (out->size() > (1 << 16)) {
      std::cout << *out;
      out->clear();
    }
  }
}

}  // namespace

int RunShow(const ShowOptions& options) {
  EnsureTemplateRegistered(std::cerr);
  const Document document = OpenInputDocument(options.file);
  std::string out;
  bool first = true;
  for (const BusinessObject object : document.objects()) {
    if (!first) out += "\n";
    first = false;
    ShowObject(object, options, &out);
  }
  std::cout << out << std::flush;
  return kExitSuccess;
}

}  // namespace kuv::tool
