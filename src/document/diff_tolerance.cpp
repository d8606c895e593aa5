// When two value texts are the same value: the tolerance of a diff.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "kuv/diff.hpp"

namespace kuv {

std::optional<Tolerance> ParseTolerance(std::string_view text) {
  Tolerance tolerance;
  std::string_view number = TrimBlanks(text);
  if (!number.empty() && number.back() == '%') {
    tolerance.relative = true;
    number.remove_suffix(1);
  }
  const TypedValue read = ReadValue(number, ValueKind::kFloat);
  if (read.reading != ValueReading::kValue || !std::isfinite(read.number) || read.number < 0) {
    return std::nullopt;
  }
  tolerance.amount = read.number;
  return tolerance;
}

namespace {

double Allowed(const Tolerance& tolerance, double a, double b) {
  return tolerance.relative ? tolerance.amount / 100 * std::max(std::fabs(a), std::fabs(b))
                            : tolerance.amount;
}

// Whole numbers beyond 2^53 would round as doubles: their distance is
// taken exactly.
bool SameIntegers(std::int64_t a, std::int64_t b, const Tolerance& tolerance) {
  if (a == b) return true;
  const auto ua = static_cast<std::uint64_t>(a);
  const auto ub = static_cast<std::uint64_t>(b);
  const std::uint64_t apart = a > b ? ua - ub : ub - ua;
  return static_cast<double>(apart) <=
         Allowed(tolerance, static_cast<double>(a), static_cast<double>(b));
}

}  // namespace

bool SameValue(std::string_view before, std::string_view after, ValueKind kind,
               const std::optional<Tolerance>& tolerance) {
  if (before == after) return true;
  if (!tolerance || (kind != ValueKind::kFloat && kind != ValueKind::kInteger)) return false;
  const TypedValue a = ReadValue(before, kind);
  const TypedValue b = ReadValue(after, kind);
  if (a.reading != ValueReading::kValue || b.reading != ValueReading::kValue) return false;
  if (kind == ValueKind::kInteger) return SameIntegers(a.integer, b.integer, *tolerance);
  if (a.number == b.number) return true;  // infinities of one sign too
  return std::fabs(a.number - b.number) <= Allowed(*tolerance, a.number, b.number);  // not NaN
}

}  // namespace kuv
