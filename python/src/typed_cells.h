// Text cells converted by the type a field is declared with. A text that
// does not convert becomes a missing value and is counted; nothing throws.
#ifndef KUV_PYTHON_TYPED_CELLS_H_
#define KUV_PYTHON_TYPED_CELLS_H_

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "kuv/document.hpp"
#include "table_cells.h"

namespace kuv::python {

// A column's kind is the one its declared type names (kuv::KindOfType).
using CellKind = ValueKind;

struct TypedCells {
  CellKind kind = CellKind::kText;
  std::vector<double> floats;          // kFloat: NaN where missing
  std::vector<std::int64_t> integers;  // kInteger; kDate as nanoseconds since 1970
  std::vector<std::uint8_t> booleans;  // kBoolean
  std::vector<std::uint8_t> missing;   // kInteger, kBoolean: 1 where missing
  std::int64_t invalid = 0;            // texts that did not convert
};

// An empty or blank text is a missing value, not an invalid one.
TypedCells ConvertCells(const std::vector<Cell>& cells, CellKind kind);

// Nanoseconds since 1970 of a date text "YYYYMMDDTHH:MM:SSsss" (the
// document's form; the seconds part is digits that the format keeps at
// zero), for a real calendar date that datetime64[ns] can hold.
std::optional<std::int64_t> DateTextNanoseconds(std::string_view text);

// The date text of nanoseconds since 1970; nullopt when the time has
// seconds or a fraction, which the text cannot hold, or a year outside
// 1900..2500.
std::optional<std::string> NanosecondsDateText(std::int64_t nanoseconds);

// The missing-value mark of datetime64 (NaT).
constexpr std::int64_t kNotATime = INT64_MIN;

}  // namespace kuv::python

#endif  // KUV_PYTHON_TYPED_CELLS_H_
