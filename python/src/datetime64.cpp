#include "datetime64.h"

namespace kuv::python {

namespace {

constexpr std::int64_t kNanosecondsPerSecond = 1'000'000'000;
constexpr std::int64_t kSecondsPerDay = 86'400;

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
std::int64_t DaysFromCivil(std::int64_t year, unsigned month, unsigned day) {
  year -= month <= 2;
  const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
  const unsigned year_of_era = static_cast<unsigned>(year - era * 400);
  const unsigned day_of_year = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const unsigned day_of_era = year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
  return era * 146097 + static_cast<std::int64_t>(day_of_era) - 719468;
}

void CivilFromDays(std::int64_t days, DateParts* parts) {
  days += 719468;
  const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const unsigned day_of_era = static_cast<unsigned>(days - era * 146097);
  const unsigned year_of_era =
      (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
  const unsigned day_of_year =
      day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
  const unsigned shifted_month = (5 * day_of_year + 2) / 153;
  parts->day = static_cast<int>(day_of_year - (153 * shifted_month + 2) / 5 + 1);
  parts->month = static_cast<int>(shifted_month < 10 ? shifted_month + 3 : shifted_month - 9);
  parts->year =
      static_cast<int>(static_cast<std::int64_t>(year_of_era) + era * 400 + (parts->month <= 2));
}

}  // namespace

std::optional<std::int64_t> NanosecondsOf(const DateParts& parts) {
  const std::int64_t days = DaysFromCivil(parts.year, static_cast<unsigned>(parts.month),
                                          static_cast<unsigned>(parts.day));
  const std::int64_t seconds =
      days * kSecondsPerDay + parts.hour * 3600 + parts.minute * 60 + parts.second;
  std::int64_t nanoseconds = 0;
  if (__builtin_mul_overflow(seconds, kNanosecondsPerSecond, &nanoseconds) ||
      __builtin_add_overflow(nanoseconds, std::int64_t{parts.nanosecond}, &nanoseconds) ||
      nanoseconds == kNotATime) {
    return std::nullopt;
  }
  return nanoseconds;
}

DateParts PartsOf(std::int64_t nanoseconds) {
  std::int64_t seconds = nanoseconds / kNanosecondsPerSecond;
  std::int64_t fraction = nanoseconds % kNanosecondsPerSecond;
  if (fraction < 0) {
    fraction += kNanosecondsPerSecond;
    --seconds;
  }
  std::int64_t days = seconds / kSecondsPerDay;
  std::int64_t of_day = seconds % kSecondsPerDay;
  if (of_day < 0) {
    of_day += kSecondsPerDay;
    --days;
  }
  DateParts parts;
  CivilFromDays(days, &parts);
  parts.hour = static_cast<int>(of_day / 3600);
  parts.minute = static_cast<int>(of_day / 60 % 60);
  parts.second = static_cast<int>(of_day % 60);
  parts.nanosecond = static_cast<int>(fraction);
  return parts;
}

}  // namespace kuv::python
