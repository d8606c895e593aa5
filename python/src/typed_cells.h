// Text cells converted by the kind of value their field is declared with,
// by the library's grammar of value texts (kuv::ReadValue). A text that is
// no value of the kind becomes a missing value and is counted; nothing
// throws.
#ifndef KUV_PYTHON_TYPED_CELLS_H_
#define KUV_PYTHON_TYPED_CELLS_H_

#include <cstdint>
#include <vector>

#include "kuv/values.hpp"
#include "missing_values.h"
#include "table_cells.h"

namespace kuv::python {

struct TypedCells {
  ValueKind kind = ValueKind::kText;
  std::vector<double> floats;          // kFloat: NaN where missing
  std::vector<std::int64_t> integers;  // kInteger; kDate as nanoseconds since 1970
  std::vector<std::uint8_t> booleans;  // kBoolean
  std::vector<std::uint8_t> missing;   // kInteger, kBoolean: 1 where missing
  // Texts that are no value of the kind, or beyond what the column can
  // hold (a date outside datetime64[ns]'s years 1677 to 2262).
  std::int64_t invalid = 0;
};

// Blank texts are missing values, not invalid ones; so are the texts and
// values of missing (which may be null).
TypedCells ConvertCells(const std::vector<Cell>& cells, ValueKind kind,
                        const MissingValues* missing);

}  // namespace kuv::python

#endif  // KUV_PYTHON_TYPED_CELLS_H_
