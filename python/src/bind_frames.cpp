// Tables as columns for pandas, and frames written back: object_frames,
// read_frames and object_add_frame. The walk, the conversions and the
// placing run without the GIL; Python objects are made once per distinct
// text at the end.
#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <unordered_map>

#include "bindings.h"
#include "cell_encoding.h"
#include "frame_columns.h"
#include "frame_placement.h"
#include "jobs.h"
#include "missing_values.h"

namespace py = pybind11;

namespace kuv::python {

namespace {

MissingValues MissingValuesOf(const py::handle& texts, const py::handle& numbers) {
  MissingValues values;
  for (const py::handle text : texts) values.texts.push_back(py::cast<std::string>(text));
  for (const py::handle number : numbers) values.numbers.push_back(py::cast<double>(number));
  return values;
}

// The na_values of kuv/_frames.py: None, or (texts, numbers, fields) with
// fields a list of (field, occurrence or -1, texts, numbers).
MissingRules MissingRulesOf(const py::object& spec) {
  MissingRules rules;
  if (spec.is_none()) return rules;
  const py::tuple parts = spec.cast<py::tuple>();
  rules.every_column = MissingValuesOf(parts[0], parts[1]);
  for (const py::handle field : parts[2]) {
    const py::tuple rule = field.cast<py::tuple>();
    rules.fields.push_back(
        {py::cast<std::string>(rule[0]), rule[1].cast<int>(), MissingValuesOf(rule[2], rule[3])});
  }
  return rules;
}

// The object's tables named in `only` (all when empty); a named table that
// has no node but is declared comes as an empty table of its fields.
py::list ObjectFrames(const ObjectHandle& self, const std::vector<py::bytes>& only, bool typed,
                      const py::object& missing_values, const py::object& encoding) {
  const TextCodec codec(encoding);
  const MissingRules missing = MissingRulesOf(missing_values);
  std::vector<std::string> names;
  for (const py::bytes& name : only) names.push_back(BytesOf(name));
  DocumentLock lock(self.holder());
  const BusinessObject object = self.Get();
  std::vector<TableCells> tables;
  {
    py::gil_scoped_release without_gil;
    tables = GatherTables(object, names);
    for (const std::string& name : names) {
      const bool found = std::any_of(tables.begin(), tables.end(),
                                     [&](const TableCells& table) { return table.name == name; });
      if (!found && object.parent_of(name)) tables.push_back(DeclaredTable(object, name));
    }
  }
  // The cells are views into the document, which the lock keeps as it is.
  return MaterializeTables(tables, typed, missing, codec);
}

struct ReadResult {
  std::optional<Document> document;
  std::vector<std::vector<TableCells>> tables;  // per object
};

// Reads the files on up to `threads` threads and joins their tables by
// name (those named in `only`, all when it is empty). Each table comes
// with "pieces": (file index, object index, object ID, rows) for each
// object that holds rows of it, in order.
py::list ReadFrames(const std::vector<py::bytes>& path_bytes, int threads, bool typed,
                    const py::object& missing_values, const py::object& encoding,
                    const std::vector<py::bytes>& only) {
  const TextCodec codec(encoding);
  const MissingRules missing = MissingRulesOf(missing_values);
  std::vector<std::string> paths;
  for (const py::bytes& path : path_bytes) paths.push_back(BytesOf(path));
  std::vector<std::string> only_names;
  for (const py::bytes& name : only) only_names.push_back(BytesOf(name));
  std::vector<ReadResult> results(paths.size());
  struct Piece {
    std::size_t file;
    std::size_t object;
    std::size_t rows;
  };
  std::vector<std::vector<Piece>> pieces;
  std::optional<TableJoin> join;
  {
    py::gil_scoped_release without_gil;
    RunInParallel(threads, paths.size(), [&](std::size_t file) {
      ReadResult& result = results[file];
      try {
        result.document.emplace(Document::Open(paths[file]));
      } catch (const Error& error) {
        const std::string message = error.what();
        if (message.find(paths[file]) != std::string::npos)
          throw FileError(error, paths[file], false);
        throw FileError(Error(error.code(), paths[file] + ": " + message), paths[file], false);
      }
      for (const BusinessObject object : result.document->objects()) {
        result.tables.push_back(GatherTables(object, only_names));
      }
    });
    // Tables by name, in the order they first appear.
    std::vector<std::string_view> names;
    std::vector<std::vector<const TableCells*>> table_pieces;
    for (std::size_t file = 0; file < results.size(); ++file) {
      for (std::size_t object = 0; object < results[file].tables.size(); ++object) {
        for (const TableCells& table : results[file].tables[object]) {
          const std::size_t at = std::find(names.begin(), names.end(), table.name) - names.begin();
          if (at == names.size()) {
            names.push_back(table.name);
            table_pieces.emplace_back();
            pieces.emplace_back();
          }
          table_pieces[at].push_back(&table);
          pieces[at].push_back(Piece{file, object, table.rows()});
        }
      }
    }
    join.emplace(std::move(table_pieces));
  }

  // Each table's keys, then each of its columns: joined and converted on
  // the threads, made into arrays in order while the next ones are under
  // way.
  std::vector<TableCells>& joined = join->tables();
  std::vector<std::pair<std::size_t, std::size_t>> tasks;  // (table, column or SIZE_MAX)
  std::vector<DistinctTexts> parents(joined.size());
  std::vector<std::vector<ReadyColumn>> columns(joined.size());
  for (std::size_t t = 0; t < joined.size(); ++t) {
    tasks.emplace_back(t, SIZE_MAX);
    columns[t].resize(joined[t].columns.size());
    for (std::size_t c = 0; c < joined[t].columns.size(); ++c) tasks.emplace_back(t, c);
  }
  py::list frames;
  RunInOrder(
      threads, tasks.size(),
      [&](std::size_t task) {
        const auto [t, c] = tasks[task];
        if (c == SIZE_MAX) {
          join->JoinIdentity(t);
          parents[t] = PrepareParents(joined[t]);
        } else {
          join->JoinColumn(t, c);
          columns[t][c] = PrepareColumn(joined[t].columns[c], typed, missing);
          std::vector<Cell>().swap(joined[t].columns[c].cells);  // no longer needed
        }
      },
      [&](std::size_t task) {
        const auto [t, c] = tasks[task];
        if (c == SIZE_MAX) {
          frames.append(MaterializeTable(joined[t], parents[t], codec));
        } else {
          py::list frame_columns = frames[t]["columns"];
          frame_columns.append(MaterializeColumn(columns[t][c], codec));
        }
      });
  for (ReadResult& result : results) result.tables.clear();  // joined holds the cells now
  for (std::size_t t = 0; t < joined.size(); ++t) {
    py::list table_pieces;
    for (const Piece& piece : pieces[t]) {
      const BusinessObject object = results[piece.file].document->objects()[piece.object];
      table_pieces.append(
          py::make_tuple(piece.file, piece.object, ToBytes(object.id()), piece.rows));
    }
    frames[t]["pieces"] = table_pieces;
  }
  {
    // Millions of nodes to free: on the threads too.
    py::gil_scoped_release without_gil;
    RunInParallel(threads, results.size(),
                  [&](std::size_t file) { results[file].document.reset(); });
  }
  return frames;
}

// columns: (field, occurrence, label, values) for each field column.
std::size_t AddFrame(const ObjectHandle& self, const py::bytes& table, const std::string& label,
                     const std::vector<py::tuple>& columns, const py::object& parent_row_id,
                     const std::string& parent_label, std::size_t rows, const py::tuple& missing,
                     const py::object& encoding) {
  const TextCodec codec(encoding);
  FrameToPlace frame;
  frame.table = BytesOf(table);
  frame.table_label = label;
  frame.parent_label = parent_label;
  frame.rows = rows;
  if (!parent_row_id.is_none()) {
    const auto ids = py::array_t<std::int64_t, py::array::forcecast>::ensure(parent_row_id);
    if (!ids || ids.ndim() != 1 || static_cast<std::size_t>(ids.shape(0)) != rows) {
      throw py::value_error("kuv: parent_row_id must hold one integer per row");
    }
    frame.parent_row_id.assign(ids.data(), ids.data() + rows);
  }
  DocumentLock lock(self.holder());
  const BusinessObject object = self.Get();
  for (const py::tuple& column : columns) {
    ColumnToPlace& place = frame.columns.emplace_back();
    place.field = BytesOf(column[0].cast<py::bytes>());
    place.occurrence = column[1].cast<int>();
    place.label = column[2].cast<std::string>();
    // Typed values go only into fields whose declared type takes them.
    const FieldKind field = FieldKindOf(object, frame.table, place.field, place.label);
    place.cells = EncodeColumn(column[3], missing, codec, field, label);
    if (place.cells.size() != rows) throw py::value_error("kuv: columns of different lengths");
  }
  py::gil_scoped_release without_gil;
  return PlaceFrame(object, frame);
}

// A glance at the object's tables, for notebooks: for each table name, in
// the order of its first row, (name, rows, columns, first rows), columns
// as (field, occurrence) and each row's texts by column (None where it has
// no value).
py::list ObjectPreview(const ObjectHandle& self, std::size_t shown_rows) {
  struct Glance {
    std::string_view name;
    std::size_t rows = 0;
    TableColumns columns;
    std::vector<std::vector<std::pair<std::size_t, std::string_view>>> first;
  };
  DocumentLock lock(self.holder());
  const BusinessObject object = self.Get();
  std::vector<std::unique_ptr<Glance>> glances;
  {
    py::gil_scoped_release without_gil;
    std::unordered_map<std::string_view, Glance*> glance_of;
    TableRowWalk walk(object);
    while (const std::optional<TableRow> row = walk.Next()) {
      Glance*& glance = glance_of[row->table];
      if (glance == nullptr) {
        glance = glances.emplace_back(new Glance).get();
        glance->name = row->table;
      }
      if (glance->rows++ >= shown_rows) continue;
      const std::vector<std::size_t>& columns = glance->columns.ColumnsOf(row->row);
      const Items<Value> values = row->row.values();
      auto& texts = glance->first.emplace_back();
      for (std::size_t i = 0; i < columns.size(); ++i)
        texts.emplace_back(columns[i], values[i].text);
    }
  }
  py::list tables;
  for (const auto& glance : glances) {
    py::list columns;
    for (const TableColumn& column : glance->columns.columns()) {
      columns.append(py::make_tuple(ToBytes(column.field), column.occurrence));
    }
    py::list rows;
    for (const auto& texts : glance->first) {
      py::list row(glance->columns.columns().size());
      for (std::size_t c = 0; c < glance->columns.columns().size(); ++c) row[c] = py::none();
      for (const auto& [column, text] : texts) row[column] = ToBytes(text);
      rows.append(row);
    }
    tables.append(py::make_tuple(ToBytes(glance->name), glance->rows, columns, rows));
  }
  return tables;
}

}  // namespace

void BindFrames(py::module_& module) {
  module.def("object_frames", &ObjectFrames, py::arg("object"), py::arg("only"), py::arg("typed"),
             py::arg("missing"), py::arg("encoding"));
  module.def("read_frames", &ReadFrames, py::arg("paths"), py::arg("threads"), py::arg("typed"),
             py::arg("missing"), py::arg("encoding"), py::arg("only") = std::vector<py::bytes>());
  module.def("object_preview", &ObjectPreview, py::arg("object"), py::arg("rows"));
  module.def("object_add_frame", &AddFrame, py::arg("object"), py::arg("table"), py::arg("label"),
             py::arg("columns"), py::arg("parent_row_id"), py::arg("parent_label"), py::arg("rows"),
             py::arg("missing"), py::arg("encoding"));
}

}  // namespace kuv::python
