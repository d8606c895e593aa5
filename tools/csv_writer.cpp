#include "csv_writer.h"

#include <map>
#include <set>
#include <utility>

#include "content_walk.h"
#include "tool_error.h"

namespace kuv::tool {

namespace {

// A column is a field and which of its occurrences in a row it holds.
using Column = std::pair<std::string, int>;

void WriteCell(std::string* line, const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) {
    *line += text;
    return;
  }
  *line += '"';
  for (char c : text) {
    if (c == '"') *line += '"';
    *line += c;
  }
  *line += '"';
}

}  // namespace

std::vector<std::string> TableNames(const BusinessObject& object) {
  std::vector<std::string> names;
  std::set<std::string, std::less<>> seen;
  ContentWalk walk(object);
  ContentEvent item;
  while (walk.Next(&item)) {
    if (item.step == ContentStep::kOpenTable && seen.find(item.name) == seen.end()) {
      seen.emplace(item.name);
      names.emplace_back(item.name);
    }
  }
  return names;
}

void WriteCsvTable(std::ostream& out, const BusinessObject& object, std::string_view table,
                   Encoding encoding) {
  const auto decode = [&](std::string_view bytes, std::string_view field) {
    if (std::optional<std::string> text = DecodeText(bytes, encoding)) return std::move(*text);
    throw DataError("object '" + DecodeForDisplay(object.id(), encoding) + "', table '" +
                    DecodeForDisplay(table, encoding) + "', field '" +
                    DecodeForDisplay(field, encoding) +
                    "': the text is not valid UTF-8; choose the document's encoding with "
                    "--encoding");
  };

  // Gather the rows: one list of (column, text) per row.
  std::vector<Column> columns;
  std::map<Column, std::size_t> columnAt;
  std::vector<std::vector<std::pair<std::size_t, std::string>>> rows;
  std::map<std::string, int, std::less<>> occurrences;  // of each field in the current row
  bool found = false;
  ContentWalk walk(object);
  ContentEvent item;
  while (walk.Next(&item)) {
    switch (item.step) {
      case ContentStep::kOpenTable:
        found = found || item.name == table;
        break;
      case ContentStep::kCloseTable:
        break;
      case ContentStep::kBeginRow:
        if (walk.table() == table) {
          rows.emplace_back();
          occurrences.clear();
        }
        break;
      case ContentStep::kValue: {
        if (walk.table() != table) break;
        const Column column{std::string(item.name), occurrences[std::string(item.name)]++};
        auto [at, added] = columnAt.emplace(column, columns.size());
        if (added) columns.push_back(column);
        rows.back().emplace_back(at->second, decode(item.text, item.name));
        break;
      }
    }
  }
  if (!found) {
    throw DataError("object '" + DecodeForDisplay(object.id(), encoding) + "' has no table '" +
                    DecodeForDisplay(table, encoding) + "'");
  }

  std::string line;
  for (std::size_t i = 0; i < columns.size(); ++i) {
    if (i > 0) line += ',';
    WriteCell(&line, decode(columns[i].first, columns[i].first));
  }
  line += "\r\n";
  for (std::size_t i = 0; i < columns.size(); ++i) {
    if (i > 0) line += ',';
    if (std::optional<FieldDefinition> field = object.field_definition(table, columns[i].first)) {
      WriteCell(&line, decode(field->unit, columns[i].first));
    }
  }
  line += "\r\n";
  out << line;

  std::vector<std::string> cells(columns.size());
  for (const auto& row : rows) {
    for (std::string& cell : cells) cell.clear();
    for (const auto& [column, text] : row) cells[column] = text;
    line.clear();
    for (std::size_t i = 0; i < cells.size(); ++i) {
      if (i > 0) line += ',';
      WriteCell(&line, cells[i]);
    }
    line += "\r\n";
    out << line;
  }
}

}  // namespace kuv::tool
