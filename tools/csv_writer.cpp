#include "csv_writer.h"

#include <map>
#include <set>
#include <utility>

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

std::vector<std::string> TableNames(const ObjectContent& object) {
  std::vector<std::string> names;
  std::set<std::string> seen;
  for (const ContentItem& item : object.content) {
    if (item.step == ContentStep::kOpenTable && seen.insert(item.name).second) {
      names.push_back(item.name);
    }
  }
  return names;
}

void WriteCsvTable(std::ostream& out, const ObjectContent& object, const std::string& table,
                   Encoding encoding) {
  const auto decode = [&](const std::string& bytes, const std::string& field) {
    if (std::optional<std::string> text = DecodeText(bytes, encoding)) return std::move(*text);
    throw DataError("object '" + DecodeForDisplay(object.header.id, encoding) + "', table '" +
                    DecodeForDisplay(table, encoding) + "', field '" +
                    DecodeForDisplay(field, encoding) +
                    "': the text is not valid UTF-8; choose the document's encoding with "
                    "--encoding");
  };

  // Gather the rows: one map from column to text per row.
  std::vector<Column> columns;
  std::map<Column, std::size_t> columnAt;
  std::vector<std::vector<std::pair<std::size_t, std::string>>> rows;
  std::map<std::string, int> occurrences;  // of each field in the current row
  std::vector<const std::string*> open;
  bool found = false;
  for (const ContentItem& item : object.content) {
    switch (item.step) {
      case ContentStep::kOpenTable:
        open.push_back(&item.name);
        found = found || item.name == table;
        break;
      case ContentStep::kCloseTable:
        if (!open.empty()) open.pop_back();
        break;
      case ContentStep::kBeginRow:
        if (!open.empty() && *open.back() == table) {
          rows.emplace_back();
          occurrences.clear();
        }
        break;
      case ContentStep::kValue: {
        if (open.empty() || *open.back() != table) break;
        if (rows.empty()) rows.emplace_back();
        const Column column{item.name, occurrences[item.name]++};
        auto [at, added] = columnAt.emplace(column, columns.size());
        if (added) columns.push_back(column);
        rows.back().emplace_back(at->second, decode(item.text, item.name));
        break;
      }
    }
  }
  if (!found) {
    throw DataError("object '" + DecodeForDisplay(object.header.id, encoding) + "' has no table '" +
                    DecodeForDisplay(table, encoding) + "'");
  }

  std::map<std::string, std::string> units;
  for (const FieldDefinition& field : object.fields) {
    if (field.table == table) units.emplace(field.field, field.unit);
  }

  std::string line;
  for (std::size_t i = 0; i < columns.size(); ++i) {
    if (i > 0) line += ',';
    WriteCell(&line, decode(columns[i].first, columns[i].first));
  }
  line += "\r\n";
  for (std::size_t i = 0; i < columns.size(); ++i) {
    if (i > 0) line += ',';
    auto unit = units.find(columns[i].first);
    if (unit != units.end()) WriteCell(&line, decode(unit->second, columns[i].first));
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
