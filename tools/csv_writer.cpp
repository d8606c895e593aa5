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

// One row of the table being written, with the row that holds it. The
// views point into the object.
struct RowOfTable {
  long long id = 0;              // among the table's rows, in walk order
  std::string_view parentTable;  // empty for a row at the top
  long long parentRow = -1;
  std::vector<std::pair<std::string_view, std::string_view>> values;  // field, text
};

// Calls onRow for each row of table once its values are all met. Every
// table's rows are numbered as the walk meets them, which is the frames'
// depth-first order. False when the object has no such table.
template <typename OnRow>
bool WalkRows(const BusinessObject& object, std::string_view table, OnRow onRow) {
  std::map<std::string_view, long long> rowsSoFar;           // of each table
  std::vector<std::pair<std::string_view, long long>> open;  // each open table, its current row
  RowOfTable row;
  bool pending = false;
  bool found = false;
  ContentWalk walk(object);
  ContentEvent item;
  while (walk.Next(&item)) {
    // A row's values come before its child tables: any other step ends it.
    if (pending && item.step != ContentStep::kValue) {
      onRow(row);
      pending = false;
    }
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
        if (open.back().first == table) {
          pending = true;
          row.id = open.back().second;
          row.values.clear();
          row.parentTable = {};
          row.parentRow = -1;
          if (open.size() > 1) {
            row.parentTable = open[open.size() - 2].first;
            row.parentRow = open[open.size() - 2].second;
          }
        }
        break;
      case ContentStep::kValue:
        if (pending) row.values.emplace_back(item.name, item.text);
        break;
    }
  }
  if (pending) onRow(row);
  return found;
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

  // Two walks: the first finds the columns, the second writes each row as
  // it completes, so that no more than one row is ever held.
  std::vector<Column> columns;
  std::map<Column, std::size_t> columnAt;
  bool nested = false;                                  // some row has a parent row
  std::map<std::string, int, std::less<>> occurrences;  // of each field in the current row
  const bool found = WalkRows(object, table, [&](const RowOfTable& row) {
    nested = nested || !row.parentTable.empty();
    occurrences.clear();
    for (const auto& [field, text] : row.values) {
      const Column column{std::string(field), occurrences[std::string(field)]++};
      if (columnAt.emplace(column, columns.size()).second) columns.push_back(column);
    }
  });
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
  WalkRows(object, table, [&](const RowOfTable& row) {
    for (std::string& cell : cells) cell.clear();
    occurrences.clear();
    for (const auto& [field, text] : row.values) {
      const Column column{std::string(field), occurrences[std::string(field)]++};
      cells[columnAt.at(column)] = decode(text, field);
    }
    line = std::to_string(row.id);
    if (nested) {
      line += ',';
      if (!row.parentTable.empty()) {
        WriteCell(&line, decode(row.parentTable, row.parentTable));
        line += ',' + std::to_string(row.parentRow);
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
  });
}

}  // namespace kuv::tool
