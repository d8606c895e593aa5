#include "frame_placement.h"

#include <map>
#include <optional>
#include <stdexcept>

#include "table_cells.h"

namespace kuv::python {

namespace {

// "kuv: cannot add the frame to table 'Casing': row 1 has no value for ..."
[[noreturn]] void Refuse(const FrameToPlace& frame, const std::string& why) {
  throw Refusal("cannot add the frame to table '" + frame.table_label + "'", why);
}

// "kuv: cannot add the frame to table 'Casing', row 0, column 'Name': it holds ..."
[[noreturn]] void Refuse(const FrameToPlace& frame, const std::string& where, const char* why) {
  throw Refusal("cannot add the frame to table '" + frame.table_label + "', " + where, why);
}

std::string RowLabel(std::size_t row) { return "row " + std::to_string(row); }

// Where rows go: a table node (made on the first row when there is none)
// and the field that must begin each of its rows, since a reader starts a
// new row at every repeat of the field that began the node's first row.
struct Destination {
  std::optional<Table> node;
  std::optional<Row> parent_row;
  std::string first_field;
  // What writing did, so that it can be undone.
  bool made = false;        // node was made for these rows, at made_at
  std::size_t made_at = 0;  // among the tables of parent_row, or of the object
  std::size_t rows_before = 0;
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

void CheckDeclarations(const BusinessObject& object, const FrameToPlace& frame) {
  if (const char* why = WhyNotStorableName(frame.table)) {
    Refuse(frame, std::string(why));
  }
  for (const ColumnToPlace& column : frame.columns) {
    if (const char* why = WhyNotStorableName(column.field)) {
      Refuse(frame, "column '" + column.label + "'", why);
    }
    if (!object.field_definition(frame.table, column.field)) {
      Refuse(frame, "column '" + column.label + "': the field is not declared for table '" +
                        frame.table_label + "' (define_field declares it)");
    }
    for (std::size_t row = 0; row < frame.rows; ++row) {
      if (!column.cells.Has(row)) continue;
      if (const char* why = WhyNotStorableValue(column.cells.At(row))) {
        Refuse(frame, RowLabel(row) + ", column '" + column.label + "'", why);
      }
    }
  }
}

// The parent row of each frame row, checked.
std::vector<Row> ParentRows(const BusinessObject& object, const FrameToPlace& frame,
                            std::string_view parent) {
  if (frame.parent_row_id.empty()) {
    Refuse(frame,
           "table '" + frame.table_label + "' is a child of '" + frame.parent_label +
               "': the frame needs a column parent_row_id with the row_id of each row's parent "
               "row in the frame of '" +
               frame.parent_label + "'");
  }
  const std::vector<Row> candidates = RowsOfTable(object, parent);
  std::vector<Row> parents;
  parents.reserve(frame.rows);
  for (std::size_t row = 0; row < frame.rows; ++row) {
    const std::int64_t id = frame.parent_row_id[row];
    if (id < 0) Refuse(frame, RowLabel(row) + " has no parent_row_id");
    if (static_cast<std::uint64_t>(id) >= candidates.size()) {
      Refuse(frame, RowLabel(row) + ": parent_row_id " + std::to_string(id) + " is not a row of '" +
                        frame.parent_label + "', which has " + std::to_string(candidates.size()) +
                        " rows");
    }
    const Row parent_row = candidates[static_cast<std::size_t>(id)];
    if (parent_row.values().empty()) {
      Refuse(frame,
             RowLabel(row) + ": parent row " + std::to_string(id) + " of '" + frame.parent_label +
                 "' holds no values, so a table under it would be read back under another row");
    }
    parents.push_back(parent_row);
  }
  return parents;
}

void CheckFirstField(const FrameToPlace& frame, const Destination& destination, std::size_t row) {
  const ColumnToPlace* first = ColumnOf(frame, destination.first_field, 0);
  if (first == nullptr) {
    Refuse(frame, "the rows of table '" + frame.table_label + "' begin with field '" +
                      destination.first_field + "', for which the frame has no column");
  }
  if (!first->cells.Has(row)) {
    Refuse(frame, RowLabel(row) + " has no value for '" + first->label +
                      "', the field that begins every row of table '" + frame.table_label + "'");
  }
  for (const ColumnToPlace& column : frame.columns) {
    if (column.occurrence > 0 && column.field == destination.first_field && column.cells.Has(row)) {
      Refuse(frame, RowLabel(row) + " holds '" + first->label +
                        "' twice, and its second value would " + "begin another row");
    }
  }
}

void Write(BusinessObject& object, const FrameToPlace& frame,
           std::vector<Destination>& destinations, const std::vector<std::size_t>& destination_of) {
  for (Destination& destination : destinations) {
    if (destination.node) destination.rows_before = destination.node->rows().size();
  }
  for (std::size_t row = 0; row < frame.rows; ++row) {
    Destination& destination = destinations[destination_of[row]];
    if (!destination.node) {
      if (destination.parent_row) {
        destination.node = destination.parent_row->AddChildTable(frame.table);
        destination.made_at = destination.parent_row->child_tables().size() - 1;
      } else {
        destination.node = object.AddTable(frame.table);
        destination.made_at = object.tables().size() - 1;
      }
      destination.made = true;
    }
    Row added = destination.node->AddRow();
    const ColumnToPlace* first = ColumnOf(frame, destination.first_field, 0);
    added.AddValue(first->field, first->cells.At(row));
    for (const ColumnToPlace& column : frame.columns) {
      if (&column != first && column.cells.Has(row)) {
        added.AddValue(column.field, column.cells.At(row));
      }
    }
  }
}

// Takes back what Write wrote, the last table made first, so that the
// places of the others stay as they were.
void Undo(BusinessObject& object, std::vector<Destination>& destinations) {
  for (std::size_t d = destinations.size(); d-- > 0;) {
    Destination& destination = destinations[d];
    if (!destination.node) continue;
    if (destination.made) {
      if (destination.parent_row) {
        destination.parent_row->RemoveChildTable(destination.made_at);
      } else {
        object.RemoveTable(destination.made_at);
      }
      destination.node.reset();
      destination.made = false;
      continue;
    }
    for (std::size_t rows = destination.node->rows().size(); rows-- > destination.rows_before;) {
      destination.node->RemoveRow(rows);
    }
  }
}

bool SameProblem(const std::optional<ReadBackProblem>& a, const std::optional<ReadBackProblem>& b) {
  return a.has_value() == b.has_value() && (!a || (a->where == b->where && a->why == b->why));
}

// Writes the rows, all or none: a row the document API refuses takes back
// those written before it, and so does a frame after which the object
// would not read back as it is when it did before.
void WriteRows(BusinessObject& object, const FrameToPlace& frame,
               std::vector<Destination>& destinations,
               const std::vector<std::size_t>& destination_of) {
  try {
    Write(object, frame, destinations, destination_of);
  } catch (...) {
    Undo(object, destinations);
    throw;
  }
  const std::optional<ReadBackProblem> after = object.FindReadBackProblem();
  if (!after) return;
  Undo(object, destinations);
  if (!SameProblem(after, object.FindReadBackProblem())) {
    Refuse(frame, after->where + ": " + after->why + ", so the frame would not read back as it is");
  }
  Write(object, frame, destinations, destination_of);  // the problem was there before
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
    Refuse(frame, "table '" + frame.table_label + "' is not declared in object '" +
                      std::string(object.id()) + "' (define_table declares it)");
  }
  if (frame.columns.empty()) Refuse(frame, "the frame has no column of a field");
  CheckDeclarations(object, frame);

  // One destination for the top level, one per parent row below it.
  std::vector<Destination> destinations;
  std::vector<std::size_t> destination_of(frame.rows, 0);
  if (parent->empty()) {
    for (const std::int64_t id : frame.parent_row_id) {
      if (id >= 0) {
        Refuse(frame, "table '" + frame.table_label +
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

  WriteRows(object, frame, destinations, destination_of);
  object.ResetPutPosition();
  return frame.rows;
}

}  // namespace kuv::python
