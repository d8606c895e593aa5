// Dates as numpy's datetime64[ns] holds them: nanoseconds since 1970,
// which reach from 1677 to 2262 only.
#ifndef KUV_PYTHON_DATETIME64_H_
#define KUV_PYTHON_DATETIME64_H_

#include <cstdint>
#include <optional>

#include "kuv/values.hpp"

namespace kuv::python {

// The missing-value mark of datetime64 (NaT).
constexpr std::int64_t kNotATime = INT64_MIN;

// Nanoseconds since 1970 of a moment; nullopt beyond what datetime64[ns]
// holds.
std::optional<std::int64_t> NanosecondsOf(const DateParts& parts);

// The moment of nanoseconds since 1970 (not NaT).
DateParts PartsOf(std::int64_t nanoseconds);

}  // namespace kuv::python

#endif  // KUV_PYTHON_DATETIME64_H_
