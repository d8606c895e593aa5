// kuv show: each object's header, then its tables as an indented tree.
#include <algorithm>
#include <functional>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "commands.h"
#include "content_reader.h"
#include "session.h"

namespace kuv::tool {

namespace {

// Deeper levels are not indented further, so that deep nesting costs
// linear output.
constexpr std::size_t kMaxIndent = 40;

std::string Indent(std::size_t level) { return std::string(2 * std::min(level, kMaxIndent), ' '); }

// Text for the terminal, one line: control characters are shown escaped.
std::string Display(const std::string& bytes, Encoding encoding) {
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

void ShowObject(const ObjectContent& object, Encoding encoding, std::string* out) {
  const ObjectHeader& header = object.header;
  *out += "Object " + Display(header.id, encoding) + "\n";
  *out += "  Author:  " + Display(header.author, encoding) + "\n";
  *out += "  Version: " + Display(header.version, encoding) + "\n";
  *out += "  WellID:  " + Display(header.wellId, encoding) + "\n";
  *out += "  Date:    " + Display(header.date, encoding) + "\n";

  std::vector<std::pair<const std::string*, int>> open;  // table, rows so far
  // Units by table, then field.
  std::map<std::string, std::map<std::string, std::string, std::less<>>, std::less<>> units;
  for (const FieldDefinition& definition : object.fields) {
    units[definition.table].emplace(definition.field, definition.unit);
  }
  const auto unitOf = [&](const std::string& table, const std::string& field) -> std::string {
    auto fields = units.find(table);
    if (fields == units.end()) return std::string();
    auto unit = fields->second.find(field);
    return unit == fields->second.end() ? std::string() : unit->second;
  };
  for (const ContentItem& item : object.content) {
    switch (item.step) {
      case ContentStep::kOpenTable:
        *out += Indent(1 + 2 * open.size()) + "Table " + Display(item.name, encoding) + "\n";
        open.emplace_back(&item.name, 0);
        break;
      case ContentStep::kBeginRow:
        if (open.empty()) break;
        *out += Indent(2 * open.size()) + "Row " + std::to_string(++open.back().second) + "\n";
        break;
      case ContentStep::kValue: {
        if (open.empty()) break;
        *out += Indent(1 + 2 * open.size()) + Display(item.name, encoding) + ": " +
                Display(item.text, encoding);
        const std::string unit = unitOf(*open.back().first, item.name);
        if (!unit.empty()) *out += " " + Display(unit, encoding);
        *out += "\n";
        break;
      }
      case ContentStep::kCloseTable:
        if (!open.empty()) open.pop_back();
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
  Session session(std::cerr);
  session.Open(options.file);
  ObjectContent object;
  std::string out;
  bool first = true;
  while (ReadNextObject(session.kuv(), &object)) {
    if (!first) out += "\n";
    first = false;
    ShowObject(object, options.encoding, &out);
  }
  std::cout << out << std::flush;
  return 0;
}

}  // namespace kuv::tool
