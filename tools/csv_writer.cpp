#include "csv_writer.h"

#include <optional>
#include <set>
#include <utility>

#include "content_walk.h"
#include "kuv/table_rows.hpp"
#include "tool_error.h"

namespace kuv::tool {

void AppendCsvCell(std::string* line, std::string_view text) {
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
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

void AppendCsvRowEnd(std::string* line, bool nested, std::string_view parentTable,
                     std::int64_t parentId, const std::vector<std::string>& cells) {
  if (nested) {
    line->push_back(',');
    if (parentId >= 0) {
      AppendCsvCell(line, parentTable);
      *line += ',' + std::to_string(parentId);
    } else {
      line->push_back(',');
    }
  }
  for (const std::string& cell : cells) {
    line->push_back(',');
    AppendCsvCell(line, cell);
  }
  *line += "\r\n";
}

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
  // it comes, so that no more than one row is ever held.
  TableColumns layout;
  bool nested = false;  // some row has a parent row
  TableRowWalk first(object, table);
  while (const std::optional<TableRow> row = first.Next()) {
    nested = nested || row->parentId >= 0;
    layout.ColumnsOf(row->row);
  }
  if (!first.met()) {
    throw DataError("object '" + DecodeForDisplay(object.id(), encoding) + "' has no table '" +
                    DecodeForDisplay(table, encoding) + "'");
  }
  const std::vector<TableColumn>& columns = layout.columns();

  std::vector<std::string> unitOf(columns.size());
  for (std::size_t i = 0; i < columns.size(); ++i) {
    if (std::optional<FieldDefinition> field = object.field_definition(table, columns[i].field)) {
      unitOf[i] = decode(field->unit, columns[i].field);
    }
  }
  const char* const identity = nested ? "row_id,parent_table,parent_row_id" : "row_id";
  std::string line = identity;
  for (std::size_t i = 0; i < columns.size(); ++i) {
    std::string name = decode(columns[i].field, columns[i].field);
    if (units == CsvUnits::kHeader && !unitOf[i].empty()) name += " [" + unitOf[i] + "]";
    line += ',';
    AppendCsvCell(&line, name);
  }
  line += "\r\n";
  if (units == CsvUnits::kRow) {
    line += nested ? ",," : "";
    for (std::size_t i = 0; i < columns.size(); ++i) {
      line += ',';
      AppendCsvCell(&line, unitOf[i]);
    }
    line += "\r\n";
  }
  out << line;

  std::vector<std::string> cells(columns.size());
  TableRowWalk second(object, table);
  while (const std::optional<TableRow> row = second.Next()) {
    for (std::string& cell : cells) cell.clear();
    const std::vector<std::size_t>& columnOf = layout.ColumnsOf(row->row);
    const Items<Value> values = row->row.values();
    for (std::size_t i = 0; i < values.size(); ++i) {
      cells[columnOf[i]] = decode(values[i].text, values[i].field);
    }
    line = std::to_string(row->id);
    AppendCsvRowEnd(&line, nested,
                    row->parentId >= 0 ? decode(row->parentTable, row->parentTable) : "",
                    row->parentId, cells);
    out << line;
  }
}

}  // namespace kuv::tool
