#include "frame_placement.h"

#include <map>
#include <optional>
#include <stdexcept>

#include "table_cells.h"

namespace kuv::python {

namespace {

[[noreturn]] void Refuse(const std::string& why) { throw std::invalid_argument("kuv: " + why); }

std::string RowLabel(std::size_t row) { return "row " + std::to_string(row); }

// Where rows go: a table node (made on the first row when there is none)
// and the field that must begin each of its rows, since a reader starts a
// new row at every repeat of the field that began the node's first row.
struct Destination {
  std::optional<Table> node;
  std::optional<Row> parent_row;
  std::string first_field;
};

std::optional<Table> LastTableNamed(const Items<Table>& tables, std::string_view name) {
  for (std::size_t i = tables.size(); i-- > 0;) {
    if (tables[i].name() == name) return tables[i];
  }
  return std::nullopt;
}

std::string FirstFieldOf(const std::optional<Table>& node, const FrameToPlace& frame) {
  if (node) {
    for (const Row row : node->rows()) {
      const Items<Value> values = row.values();
      if (!values.empty()) return std::string(values[0].field);
    }
  }
  return frame.columns.front().field;
}

const ColumnToPlace* ColumnOf(const FrameToPlace& frame, std::string_view field, int occurrence) {
  for (const ColumnToPlace& column : frame.columns) {
    if (column.field == field && column.occurrence == occurrence) return &column;
  }
  return nullptr;
}

// A name the document can give back as it went in, as the document API
// states it: no apostrophe, ">" or "<", no definition keyword, no "=" at the
// end, no "/", "!" or "?" at the start, not "DataDescription".
bool IsStorableName(std::string_view name) {
  if (name.find_first_of("'<>") != std::string_view::npos) return false;
  if (name.find("FieldDef") != std::string_view::npos) return false;
  if (name.find("TableDef") != std::string_view::npos) return false;
  if (!name.empty() &&
      (name.back() == '=' || name.front() == '/' || name.front() == '!' || name.front() == '?')) {
    return false;
  }
  return name != "DataDescription";
}

void CheckDeclarations(const BusinessObject& object, const FrameToPlace& frame) {
  if (!IsStorableName(frame.table)) {
    Refuse("table '" + frame.table_label + "': a document cannot hold this name");
  }
  for (const ColumnToPlace& column : frame.columns) {
    if (!IsStorableName(column.field)) {
      Refuse("column '" + column.label + "': a document cannot hold this field name");
    }
    if (!object.field_definition(frame.table, column.field)) {
      Refuse("column '" + column.label + "': the field is not declared for table '" +
             frame.table_label + "' (define_field declares it)");
    }
    for (std::size_t row = 0; row < frame.rows; ++row) {
      if (column.cells.Has(row) && column.cells.At(row).find('<') != std::string_view::npos) {
        Refuse(RowLabel(row) + ", column '" + column.label + "': a value may not hold '<'");
      }
    }
  }
}

// The parent row of each frame row, checked.
std::vector<Row> ParentRows(const BusinessObject& object, const FrameToPlace& frame,
                            std::string_view parent) {
  if (frame.parent_row_id.empty()) {
    Refuse("table '" + frame.table_label + "' is a child of '" + frame.parent_label +
           "': the frame needs a column parent_row_id with the row_id of each row's parent "
           "row in the frame of '" +
           frame.parent_label + "'");
  }
  const std::vector<Row> candidates = RowsOfTable(object, parent);
  std::vector<Row> parents;
  parents.reserve(frame.rows);
  for (std::size_t row = 0; row < frame.rows; ++row) {
    const std::int64_t id = frame.parent_row_id[row];
    if (id < 0) Refuse(RowLabel(row) + " has no parent_row_id");
    if (static_cast<std::uint64_t>(id) >= candidates.size()) {
      Refuse(RowLabel(row) + ": parent_row_id " + std::to_string(id) + " is not a row of '" +
             frame.parent_label + "', which has " + std::to_string(candidates.size()) + " rows");
    }
    const Row parent_row = candidates[static_cast<std::size_t>(id)];
    if (parent_row.values().empty()) {
      Refuse(RowLabel(row) + ": parent row " + std::to_string(id) + " of '" + frame.parent_label +
             "' holds no values, so a table under it would be read back under another row");
    }
    parents.push_back(parent_row);
  }
  return parents;
}

void CheckFirstField(const FrameToPlace& frame, const Destination& destination, std::size_t row) {
  const ColumnToPlace* first = ColumnOf(frame, destination.first_field, 0);
  if (first == nullptr) {
    Refuse("the rows of table '" + frame.table_label + "' begin with field '" +
           destination.first_field + "', for which the frame has no column");
  }
  if (!first->cells.Has(row)) {
    Refuse(RowLabel(row) + " has no value for '" + first->label +
           "', the field that begins every row of table '" + frame.table_label + "'");
  }
  for (const ColumnToPlace& column : frame.columns) {
    if (column.occurrence > 0 && column.field == destination.first_field && column.cells.Has(row)) {
      Refuse(RowLabel(row) + " holds '" + first->label + "' twice, and its second value would " +
             "begin another row");
    }
  }
}

}  // namespace

void OwnedCells::Add(std::string_view text) {
  bytes_.append(text);
  ends_.push_back(bytes_.size());
  present_.push_back(1);
}

void OwnedCells::AddMissing() {
  ends_.push_back(bytes_.size());
  present_.push_back(0);
}

std::string_view OwnedCells::At(std::size_t row) const {
  const std::size_t begin = row == 0 ? 0 : ends_[row - 1];
  return std::string_view(bytes_).substr(begin, ends_[row] - begin);
}

std::size_t PlaceFrame(BusinessObject object, const FrameToPlace& frame) {
  const std::optional<std::string_view> parent = object.parent_of(frame.table);
  if (!parent) {
    Refuse("table '" + frame.table_label + "' is not declared in object '" +
           std::string(object.id()) + "' (define_table declares it)");
  }
  if (frame.columns.empty()) Refuse("the frame has no column of a field");
  CheckDeclarations(object, frame);

  // One destination for the top level, one per parent row below it.
  std::vector<Destination> destinations;
  std::vector<std::size_t> destination_of(frame.rows, 0);
  if (parent->empty()) {
    for (const std::int64_t id : frame.parent_row_id) {
      if (id >= 0) {
        Refuse("table '" + frame.table_label +
               "' is a top-level table: its rows take no parent_row_id");
      }
    }
    Destination& top = destinations.emplace_back();
    top.node = LastTableNamed(object.tables(), frame.table);
    top.first_field = FirstFieldOf(top.node, frame);
  } else {
    const std::vector<Row> parents = ParentRows(object, frame, *parent);
    std::map<std::int64_t, std::size_t> destination_for;
    for (std::size_t row = 0; row < frame.rows; ++row) {
      const auto [at, added] =
          destination_for.emplace(frame.parent_row_id[row], destinations.size());
      if (added) {
        Destination& below = destinations.emplace_back();
        below.parent_row = parents[row];
        below.node = LastTableNamed(parents[row].child_tables(), frame.table);
        below.first_field = FirstFieldOf(below.node, frame);
      }
      destination_of[row] = at->second;
    }
  }
  for (std::size_t row = 0; row < frame.rows; ++row) {
    CheckFirstField(frame, destinations[destination_of[row]], row);
  }

  for (std::size_t row = 0; row < frame.rows; ++row) {
    Destination& destination = destinations[destination_of[row]];
    if (!destination.node) {
      destination.node = destination.parent_row ? destination.parent_row->AddChildTable(frame.table)
                                                : object.AddTable(frame.table);
    }
    Row added = destination.node->AddRow();
    const ColumnToPlace* first = ColumnOf(frame, destination.first_field, 0);
    added.AddValue(first->field, first->cells.At(row));
    for (const ColumnToPlace& column : frame.columns) {
      if (&column != first && column.cells.Has(row))
        added.AddValue(column.field, column.cells.At(row));
    }
  }
  object.ResetPutPosition();
  return frame.rows;
}

}  // namespace kuv::python
