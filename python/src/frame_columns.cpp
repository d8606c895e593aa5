#include "frame_columns.h"

#include <pybind11/numpy.h>

#include <functional>

namespace py = pybind11;

namespace kuv::python {

namespace {

// Past this many texts, a column whose texts are mostly distinct (depths,
// readings) is no longer looked up: the table would cost more than it
// saves.
constexpr std::size_t kSampleSize = 4096;

class DistinctFinder {
 public:
  DistinctFinder(DistinctTexts* out, bool each_text_once)
      : out_(out), slots_(1024, 0), may_stop_(!each_text_once) {}

  std::uint32_t CodeOf(Cell text) {
    if (!looking_up_) return Add(text);
    const std::size_t mask = slots_.size() - 1;
    std::size_t slot = std::hash<std::string_view>()(text) & mask;
    while (slots_[slot] != 0) {
      const std::uint32_t code = slots_[slot] - 1;
      if (out_->texts[code] == text) return code;
      slot = (slot + 1) & mask;
    }
    const std::uint32_t code = Add(text);
    slots_[slot] = code + 1;
    if (out_->texts.size() * 2 > slots_.size()) Grow();
    if (may_stop_ && ++seen_new_ == kSampleSize * 3 / 4 && looked_up_ < kSampleSize) {
      StopLookingUp();
    }
    return code;
  }

  void Count() { ++looked_up_; }

 private:
  std::uint32_t Add(Cell text) {
    out_->texts.push_back(text);
    return static_cast<std::uint32_t>(out_->texts.size() - 1);
  }

  void Grow() {
    std::vector<std::uint32_t> slots(slots_.size() * 2, 0);
    const std::size_t mask = slots.size() - 1;
    for (std::uint32_t code = 0; code < out_->texts.size(); ++code) {
      std::size_t slot = std::hash<std::string_view>()(out_->texts[code]) & mask;
      while (slots[slot] != 0) slot = (slot + 1) & mask;
      slots[slot] = code + 1;
    }
    slots_.swap(slots);
  }

  void StopLookingUp() {
    looking_up_ = false;
    std::vector<std::uint32_t>().swap(slots_);
  }

  DistinctTexts* out_;
  std::vector<std::uint32_t> slots_;  // code + 1; 0 is free
  bool may_stop_;
  bool looking_up_ = true;
  std::size_t seen_new_ = 0;
  std::size_t looked_up_ = 0;
};

// A numpy array over the vector's own memory, which it then owns: the
// values are not copied while the interpreter waits.
template <typename T>
py::array_t<T> ArrayOf(std::vector<T>&& values) {
  auto* owned = new std::vector<T>(std::move(values));
  const py::capsule owner(owned, [](void* data) { delete static_cast<std::vector<T>*>(data); });
  return py::array_t<T>(static_cast<py::ssize_t>(owned->size()), owned->data(), owner);
}

py::array BooleanArray(std::vector<std::uint8_t>&& values) {
  return ArrayOf(std::move(values)).attr("view")("bool");
}

// An object array of the texts, each distinct text made once, where it
// first appears (codes are numbered in that order), and shared by the
// cells after it.
py::array TextArray(const DistinctTexts& distinct, const TextCodec& codec) {
  const std::size_t size = distinct.codes.size();
  py::array array(py::dtype("O"), static_cast<py::ssize_t>(size));
  auto** items = static_cast<PyObject**>(array.mutable_data());
  std::vector<PyObject*> made(distinct.texts.size(), nullptr);
  std::uint32_t next = 0;
  for (std::size_t i = 0; i < size; ++i) {
    const std::uint32_t code = distinct.codes[i];
    PyObject* item;
    if (code == DistinctTexts::kNoText) {
      item = Py_None;
      Py_INCREF(item);
    } else if (code == next) {
      item = codec.Decode(distinct.texts[code]);
      if (item == nullptr) throw py::error_already_set();  // the array owns what was made
      made[next++] = item;
    } else {
      item = made[code];
      Py_INCREF(item);
    }
    PyObject* before = items[i];
    items[i] = item;
    Py_XDECREF(before);
  }
  return array;
}

py::bytes Bytes(std::string_view text) { return py::bytes(text.data(), text.size()); }

}  // namespace

DistinctTexts FindDistinct(const std::vector<Cell>& cells, bool each_text_once) {
  DistinctTexts distinct;
  distinct.codes.resize(cells.size(), DistinctTexts::kNoText);
  DistinctFinder finder(&distinct, each_text_once);
  for (std::size_t i = 0; i < cells.size(); ++i) {
    if (IsMissing(cells[i])) continue;
    finder.Count();
    distinct.codes[i] = finder.CodeOf(cells[i]);
  }
  return distinct;
}

ReadyColumn PrepareColumn(const CellColumn& column, bool typed, const MissingRules& missing) {
  ReadyColumn ready;
  ready.column = &column;
  const ValueKind kind =
      typed && column.declared && !column.mixed_types ? KindOfType(column.type) : ValueKind::kText;
  const MissingValues* missing_here = missing.For(column.field, column.occurrence);
  if (kind != ValueKind::kText) {
    ready.typed = ConvertCells(column.cells, kind, missing_here);
  } else if (missing_here == nullptr || missing_here->texts.empty()) {
    ready.distinct = FindDistinct(column.cells);
  } else {
    std::vector<Cell> cells = column.cells;
    for (Cell& cell : cells) {
      if (!IsMissing(cell) && missing_here->MatchesText(cell)) cell = Cell();
    }
    ready.distinct = FindDistinct(cells);
  }
  return ready;
}

DistinctTexts PrepareParents(const TableCells& table) {
  return FindDistinct(table.parent_table, true);
}

py::dict MaterializeTable(const TableCells& table, const DistinctTexts& parents,
                          const TextCodec& codec) {
  py::dict frame;
  frame["name"] = Bytes(table.name);
  frame["row_id"] = ArrayOf(std::vector<std::int64_t>(table.row_id));
  frame["parent_row_id"] = ArrayOf(std::vector<std::int64_t>(table.parent_row_id));
  std::vector<std::int32_t> parent_codes(parents.codes.size());
  for (std::size_t i = 0; i < parent_codes.size(); ++i) {
    const std::uint32_t code = parents.codes[i];
    parent_codes[i] = code == DistinctTexts::kNoText ? -1 : static_cast<std::int32_t>(code);
  }
  frame["parent_table_codes"] = ArrayOf(std::move(parent_codes));
  py::list parent_tables;
  for (const Cell name : parents.texts) parent_tables.append(codec.DecodeObject(name));
  frame["parent_tables"] = parent_tables;
  frame["columns"] = py::list();
  return frame;
}

py::tuple MaterializeColumn(ReadyColumn& ready, const TextCodec& codec) {
  const CellColumn& column = *ready.column;
  TypedCells& typed = ready.typed;
  py::object values;
  py::object mask = py::none();
  switch (typed.kind) {
    case ValueKind::kText:
      values = TextArray(ready.distinct, codec);
      break;
    case ValueKind::kFloat:
      values = ArrayOf(std::move(typed.floats));
      break;
    case ValueKind::kInteger:
      values = ArrayOf(std::move(typed.integers));
      mask = BooleanArray(std::move(typed.missing));
      break;
    case ValueKind::kBoolean:
      values = BooleanArray(std::move(typed.booleans));
      mask = BooleanArray(std::move(typed.missing));
      break;
    case ValueKind::kDate:
      values = ArrayOf(std::move(typed.integers)).attr("view")("M8[ns]");
      break;
  }
  return py::make_tuple(Bytes(column.field), column.occurrence, column.declared, Bytes(column.unit),
                        Bytes(column.type), NameOf(typed.kind), values, mask, typed.invalid);
}

py::list MaterializeTables(const std::vector<TableCells>& tables, bool typed,
                           const MissingRules& missing, const TextCodec& codec) {
  std::vector<DistinctTexts> parents;
  std::vector<std::vector<ReadyColumn>> columns(tables.size());
  {
    py::gil_scoped_release without_gil;
    for (std::size_t t = 0; t < tables.size(); ++t) {
      parents.push_back(PrepareParents(tables[t]));
      for (const CellColumn& column : tables[t].columns) {
        columns[t].push_back(PrepareColumn(column, typed, missing));
      }
    }
  }
  py::list frames;
  for (std::size_t t = 0; t < tables.size(); ++t) {
    py::dict frame = MaterializeTable(tables[t], parents[t], codec);
    py::list frame_columns = frame["columns"];
    for (ReadyColumn& column : columns[t]) frame_columns.append(MaterializeColumn(column, codec));
    frames.append(frame);
  }
  return frames;
}

}  // namespace kuv::python
