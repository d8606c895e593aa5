#include "typed_cells.h"

#include <cmath>
#include <limits>

#include "datetime64.h"

namespace kuv::python {

TypedCells ConvertCells(const std::vector<Cell>& cells, ValueKind kind,
                        const MissingValues* missing) {
  TypedCells typed;
  typed.kind = kind;
  const std::size_t size = cells.size();
  switch (kind) {
    case ValueKind::kText:
      return typed;
    case ValueKind::kFloat:
      typed.floats.assign(size, std::numeric_limits<double>::quiet_NaN());
      break;
    case ValueKind::kInteger:
      typed.integers.assign(size, 0);
      typed.missing.assign(size, 1);
      break;
    case ValueKind::kBoolean:
      typed.booleans.assign(size, 0);
      typed.missing.assign(size, 1);
      break;
    case ValueKind::kDate:
      typed.integers.assign(size, kNotATime);
      break;
  }
  if (missing != nullptr && missing->empty()) missing = nullptr;
  for (std::size_t i = 0; i < size; ++i) {
    if (IsMissing(cells[i])) continue;
    if (missing != nullptr && missing->MatchesText(cells[i])) continue;
    const TypedValue value = ReadValue(cells[i], kind);
    if (value.reading == ValueReading::kMissing) continue;
    if (value.reading != ValueReading::kValue) {
      ++typed.invalid;
      continue;
    }
    switch (kind) {
      case ValueKind::kFloat:
        if (missing == nullptr || !missing->MatchesNumber(value.number)) {
          typed.floats[i] = value.number;
        }
        break;
      case ValueKind::kInteger:
        if (missing == nullptr || !missing->MatchesInteger(value.integer)) {
          typed.integers[i] = value.integer;
          typed.missing[i] = 0;
        }
        break;
      case ValueKind::kBoolean:
        typed.booleans[i] = value.boolean;
        typed.missing[i] = 0;
        break;
      case ValueKind::kDate:
        if (const std::optional<std::int64_t> nanoseconds = NanosecondsOf(value.date)) {
          typed.integers[i] = *nanoseconds;
        } else {
          ++typed.invalid;
        }
        break;
      case ValueKind::kText:
        break;
    }
  }
  return typed;
}

}  // namespace kuv::python
