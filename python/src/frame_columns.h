// Gathered tables made ready for pandas: text columns reduced to their
// distinct texts (so that each text becomes one Python object, shared by
// every row that holds it), typed columns converted. The Prepare steps run
// without Python; only the Materialize steps need the interpreter.
#ifndef KUV_PYTHON_FRAME_COLUMNS_H_
#define KUV_PYTHON_FRAME_COLUMNS_H_

#include <pybind11/pybind11.h>

#include <cstdint>
#include <vector>

#include "missing_values.h"
#include "table_cells.h"
#include "text_codec.h"
#include "typed_cells.h"

namespace kuv::python {

// Each cell as an index into the distinct texts; kNoText where missing.
struct DistinctTexts {
  static constexpr std::uint32_t kNoText = UINT32_MAX;
  std::vector<std::uint32_t> codes;
  std::vector<Cell> texts;
};
// Past a sample of mostly distinct texts the rest are not looked up (each
// gets a code of its own) unless every text must be distinct.
DistinctTexts FindDistinct(const std::vector<Cell>& cells, bool each_text_once = false);

struct ReadyColumn {
  const CellColumn* column = nullptr;
  TypedCells typed;  // kind kText: the texts are in distinct
  DistinctTexts distinct;
};

// A column converted by its declared type when typed (one whose objects
// declare types of different kinds stays text), or reduced to its distinct
// texts; what the rules call missing is.
ReadyColumn PrepareColumn(const CellColumn& column, bool typed, const MissingRules& missing);
// The names of the parent tables, each once.
DistinctTexts PrepareParents(const TableCells& table);

// A table as a dict of numpy arrays: "name", "row_id", "parent_row_id"
// (-1 at the top level), "parent_table_codes" (-1 at the top level) with
// "parent_tables", the names they index, and "columns", an empty list for
// MaterializeColumn's tuples.
pybind11::dict MaterializeTable(const TableCells& table, const DistinctTexts& parents,
                                const TextCodec& codec);
// (field, occurrence, declared, unit, type, kind, values, mask, invalid);
// mask is None or a boolean array, true where missing. The typed values
// move into the arrays.
pybind11::tuple MaterializeColumn(ReadyColumn& column, const TextCodec& codec);

// The tables of one object, one after the other.
pybind11::list MaterializeTables(const std::vector<TableCells>& tables, bool typed,
                                 const MissingRules& missing, const TextCodec& codec);

}  // namespace kuv::python

#endif  // KUV_PYTHON_FRAME_COLUMNS_H_
