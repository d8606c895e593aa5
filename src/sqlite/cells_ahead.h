// The cells of a document's values, read on the thread that opened it so
// that the one writer only binds them.
#ifndef KUV_SQLITE_CELLS_AHEAD_H_
#define KUV_SQLITE_CELLS_AHEAD_H_

#include <cstdint>
#include <vector>

#include "kuv/document.hpp"
#include "sqlite/value_cells.h"

namespace kuv::sqlite {

// A value's cell in the kind its object declares for its field; the writer
// takes it when the value's column is of that kind. Dates, whose cells are
// texts, are left to the writer.
struct CellAhead {
  union {
    std::int64_t integer = 0;
    double real;
  };
  ValueKind kind = ValueKind::kText;  // kText: not read ahead
  // kText: the text does not read as the kind (the kinds read ahead have
  // numbers for cells)
  Cell::Type type = Cell::Type::kText;
};

// Per object, the cells of its values in the order TableRowWalk meets them.
using DocumentCells = std::vector<std::vector<CellAhead>>;

DocumentCells ReadCellsAhead(const Document& document);

// Whether ahead was read in kind; then cell is what it read.
bool TakeCell(const CellAhead& ahead, ValueKind kind, Cell* cell);

}  // namespace kuv::sqlite

#endif  // KUV_SQLITE_CELLS_AHEAD_H_
