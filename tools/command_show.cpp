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

bool IsPrintableAscii(std::string_view bytes) {
  bool printable = true;
  for (const char c : bytes) printable &= c >= 0x20 && c < 0x7F;
  return printable;
}

// Text for the terminal, one line: control characters are shown escaped.
std::string Display(std::string_view bytes, Encoding encoding) {
  if (IsPrintableAscii(bytes)) return std::string(bytes);
  const std::string text = DecodeForDisplay(bytes, encoding);
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    const auto byte = static_cast<unsigned char>(c);
    // C1 control characters (U+0080 to U+009F) are shown by number too.
    if (byte == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) < 0xA0) {
      static constexpr char kHex[] = "0123456789abcdef";
      const auto code = static_cast<unsigned char>(text[++i]);
      out += "\\u00";
      out += kHex[code >> 4];
      out += kHex[code & 0xF];
    } else if (byte >= 0x20 && byte != 0x7F) {
      out += c;
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c == '\r') {
      out += "\\r";
    } else {
      static constexpr char kHex[] = "0123456789abcdef";
      out += "\\x";
      out += kHex[byte >> 4];
      out += kHex[byte & 0xF];
    }
  }
  return out;
}

// Appends Display(bytes) to out; most texts are printable ASCII, shown as
// they are without a copy of their own.
void AppendDisplay(std::string_view bytes, Encoding encoding, std::string* out) {
  if (IsPrintableAscii(bytes)) {
    out->append(bytes);
  } else {
    out->append(Display(bytes, encoding));
  }
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
      *out += "      " + Display(field.field, encoding) + ": " + Display(field.type, encoding);
      if (!field.unit.empty()) *out += ", " + Display(field.unit, encoding);
      *out += "\n";
    }
    fieldsOf.erase(found);
  };
  *out += "  Data description\n";
  for (const TableDefinition& table : object.table_definitions()) {
    *out += "    Table " + Display(table.table, encoding);
    if (!table.parent.empty()) *out += " (in " + Display(table.parent, encoding) + ")";
    *out += "\n";
    showFields(table.table);
  }
  while (!fieldsOf.empty()) {
    *out += "    Table " + Display(fieldsOf.begin()->first, encoding) + " (not declared)\n";
    showFields(fieldsOf.begin()->first);
  }
}

void ShowObject(const BusinessObject& object, const ShowOptions& options, std::string* out) {
  const Encoding encoding = options.encoding;
  *out += "Object " + Display(object.id(), encoding) + "\n";
  *out += "  Author:  " + Display(object.author(), encoding) + "\n";
  *out += "  Version: " + Display(object.version(), encoding) + "\n";
  *out += "  WellID:  " + Display(object.well_id(), encoding) + "\n";
  *out += "  Date:    " + Display(object.date(), encoding) + "\n";
  if (options.definitions) ShowDefinitions(object, encoding, out);

  std::vector<int> rowsSoFar;  // of each open table
  UnitsOf units(object);
  ContentWalk walk(object);
  ContentEvent item;
  while (walk.Next(&item)) {
    switch (item.step) {
      case ContentStep::kOpenTable:
        *out += Indent(1 + 2 * rowsSoFar.size()) + "Table " + Display(item.name, encoding) + "\n";
        rowsSoFar.push_back(0);
        break;
      case ContentStep::kBeginRow:
        *out += Indent(2 * rowsSoFar.size()) + "Row " + std::to_string(++rowsSoFar.back()) + "\n";
        break;
      case ContentStep::kValue: {
        AppendIndent(1 + 2 * rowsSoFar.size(), out);
        AppendDisplay(item.name, encoding, out);
        *out += ": ";
        AppendDisplay(item.text, encoding, out);
        const std::string_view unit = units.Find(walk.table(), item.name);
        if (!unit.empty()) {
          *out += ' ';
          AppendDisplay(unit, encoding, out);
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
