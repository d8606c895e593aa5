#include "missing_values.h"

#include <algorithm>
#include <cmath>

#include "kuv/values.hpp"

namespace kuv::python {

bool MissingValues::MatchesText(std::string_view cell) const {
  const std::string_view trimmed = TrimBlanks(cell);
  return std::any_of(texts.begin(), texts.end(),
                     [&](const std::string& text) { return text == cell || text == trimmed; });
}

bool MissingValues::MatchesNumber(double number) const {
  return std::find(numbers.begin(), numbers.end(), number) != numbers.end();
}

bool MissingValues::MatchesInteger(std::int64_t integer) const {
  // Compared exactly: a double near 2^63 would match its neighbours.
  return std::any_of(numbers.begin(), numbers.end(), [&](double number) {
    return number >= -0x1p63 && number < 0x1p63 && std::trunc(number) == number &&
           static_cast<std::int64_t>(number) == integer;
  });
}

const MissingValues* MissingRules::For(std::string_view field, int occurrence) const {
  for (const ForField& rule : fields) {
    if (rule.field == field && (rule.occurrence < 0 || rule.occurrence == occurrence)) {
      return &rule.values;
    }
  }
  return every_column.empty() ? nullptr : &every_column;
}

}  // namespace kuv::python
