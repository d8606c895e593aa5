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
                   Encoding encoding, CsvUnits units) {
  const auto decode = [&](std::string_view bytes, std::string_view field) {
    if (std::optional<std::string> text = DecodeText(bytes, encoding)) return std::move(*text);
    throw DataError("object '" + DecodeForDisplay(object.id(), encoding) + "', table '" +
                    DecodeForDisplay(table, encoding) + "', field '" +
                    DecodeForDisplay(field, encoding) +
                    "': the text is not valid UTF-8; choose the document's encoding with "
                    "--encoding");
  };

  // Gather the rows: one list of (column, text) per row, and the row that
  // holds each. Every table's rows are numbered as the walk meets them,
  // which is the frames' depth-first order.
  struct Parent {
    std::string_view table;  // empty for a row at the top
    long long row = -1;
  };
  std::vector<Column> columns;
  std::map<Column, std::size_t> columnAt;
  std::vector<std::vector<std::pair<std::size_t, std::string>>> rows;
  std::vector<Parent> parents;
  bool nested = false;                                       // some row has a parent row
  std::map<std::string, int, std::less<>> occurrences;       // of each field in the current row
  std::map<std::string_view, long long> rowsSoFar;           // of each table
  std::vector<std::pair<std::string_view, long long>> open;  // each open table, its current row
  bool found = false;
  ContentWalk walk(object);
  ContentEvent item;
  while (walk.Next(&item)) {
    switch (item.step) {
      case ContentStep::kOpenTable:
        found = found || item.name == table;
        open.emplace_back(item.name, -1);
        break;
      case ContentStep::kCloseTable:
        open.pop_back();
        break;
      case ContentStep::kBeginRow:
        open.back().second = rowsSoFar[open.back().first]++;
        if (walk.table() == table) {
          rows.emplace_back();
          occurrences.clear();
          Parent parent;
          if (open.size() > 1) {
            parent = {open[open.size() - 2].first, open[open.size() - 2].second};
            nested = true;
          }
          parents.push_back(parent);
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

  std::vector<std::string> unitOf(columns.size());
  for (std::size_t i = 0; i < columns.size(); ++i) {
    if (std::optional<FieldDefinition> field = object.field_definition(table, columns[i].first)) {
      unitOf[i] = decode(field->unit, columns[i].first);
    }
  }
  const char* const identity = nested ? "row_id,parent_table,parent_row_id" : "row_id";
  std::string line = identity;
  for (std::size_t i = 0; i < columns.size(); ++i) {
    std::string name = decode(columns[i].first, columns[i].first);
    if (units == CsvUnits::kHeader && !unitOf[i].empty()) name += " [" + unitOf[i] + "]";
    line += ',';
    WriteCell(&line, name);
  }
  line += "\r\n";
  if (units == CsvUnits::kRow) {
    line += nested ? ",," : "";
    for (std::size_t i = 0; i < columns.size(); ++i) {
      line += ',';
      WriteCell(&line, unitOf[i]);
    }
    line += "\r\n";
  }
  out << line;

  std::vector<std::string> cells(columns.size());
  for (std::size_t r = 0; r < rows.size(); ++r) {
    for (std::string& cell : cells) cell.clear();
    for (const auto& [column, text] : rows[r]) cells[column] = text;
    line = std::to_string(r);
    if (nested) {
      line += ',';
      if (!parents[r].table.empty()) {
        WriteCell(&line, decode(parents[r].table, parents[r].table));
        line += ',' + std::to_string(parents[r].row);
      } else {
        line += ',';
      }
    }
    for (const std::string& cell : cells) {
      line += ',';
      WriteCell(&line, cell);
    }
    line += "\r\n";
    out << line;
  }
}

}  // namespace kuv::tool
