#include "typed_cells.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

namespace kuv::python {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// A leading "+" is accepted as Python's float() and int() accept it.
std::string_view WithoutPlus(std::string_view text) {
  if (text.size() > 1 && text.front() == '+' && text[1] != '-') text.remove_prefix(1);
  return text;
}

std::optional<double> ParseFloat(std::string_view text) {
  text = WithoutPlus(text);
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::optional<std::int64_t> ParseInteger(std::string_view text) {
  text = WithoutPlus(text);
  std::int64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
std::int64_t DaysFromCivil(std::int64_t year, unsigned month, unsigned day) {
  year -= month <= 2;
  const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
  const unsigned year_of_era = static_cast<unsigned>(year - era * 400);
  const unsigned day_of_year = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const unsigned day_of_era = year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
  return era * 146097 + static_cast<std::int64_t>(day_of_era) - 719468;
}

void CivilFromDays(std::int64_t days, int* year, int* month, int* day) {
  days += 719468;
  const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const unsigned day_of_era = static_cast<unsigned>(days - era * 146097);
  const unsigned year_of_era =
      (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
  const unsigned day_of_year =
      day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
  const unsigned shifted_month = (5 * day_of_year + 2) / 153;
  *day = static_cast<int>(day_of_year - (153 * shifted_month + 2) / 5 + 1);
  *month = static_cast<int>(shifted_month < 10 ? shifted_month + 3 : shifted_month - 9);
  *year = static_cast<int>(static_cast<std::int64_t>(year_of_era) + era * 400 + (*month <= 2));
}

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// The number in text[at, at + length), all digits.
std::optional<int> Digits(std::string_view text, std::size_t at, std::size_t length) {
  int number = 0;
  for (std::size_t i = at; i < at + length; ++i) {
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
    number = number * 10 + (text[i] - '0');
  }
  return number;
}

constexpr std::int64_t kNanosecondsPerMinute = 60'000'000'000;
constexpr std::int64_t kNanosecondsPerDay = 1440 * kNanosecondsPerMinute;

}  // namespace

std::optional<std::int64_t> DateTextNanoseconds(std::string_view text) {
  if (text.size() != 20 || text[8] != 'T' || text[11] != ':' || text[14] != ':') {
    return std::nullopt;
  }
  const std::optional<int> year = Digits(text, 0, 4);
  const std::optional<int> month = Digits(text, 4, 2);
  const std::optional<int> day = Digits(text, 6, 2);
  const std::optional<int> hour = Digits(text, 9, 2);
  const std::optional<int> minute = Digits(text, 12, 2);
  const std::optional<int> seconds = Digits(text, 15, 5);
  if (!year || !month || !day || !hour || !minute || !seconds) return std::nullopt;
  // datetime64[ns] spans the years 1677 to 2262.
  if (*year < 1678 || *year > 2261 || *month < 1 || *month > 12 || *day < 1 ||
      *day > DaysInMonth(*year, *month) || *hour > 23 || *minute > 59) {
    return std::nullopt;
  }
  return DaysFromCivil(*year, static_cast<unsigned>(*month), static_cast<unsigned>(*day)) *
             kNanosecondsPerDay +
         (*hour * 60 + *minute) * kNanosecondsPerMinute;
}

std::optional<std::string> NanosecondsDateText(std::int64_t nanoseconds) {
  if (nanoseconds % kNanosecondsPerMinute != 0) return std::nullopt;
  std::int64_t minutes = nanoseconds / kNanosecondsPerMinute;
  std::int64_t days = minutes / 1440;
  minutes %= 1440;
  if (minutes < 0) {
    minutes += 1440;
    --days;
  }
  int year = 0;
  int month = 0;
  int day = 0;
  CivilFromDays(days, &year, &month, &day);
  if (year < 1900 || year > 2500) return std::nullopt;
  char text[32];
  std::snprintf(text, sizeof text, "%04d%02d%02dT%02d:%02d:00000", year, month, day,
                static_cast<int>(minutes / 60), static_cast<int>(minutes % 60));
  return std::string(text);
}

TypedCells ConvertCells(const std::vector<Cell>& cells, CellKind kind) {
  TypedCells typed;
  typed.kind = kind;
  const std::size_t size = cells.size();
  switch (kind) {
    case CellKind::kText:
      break;
    case CellKind::kFloat:
      typed.floats.assign(size, std::numeric_limits<double>::quiet_NaN());
      break;
    case CellKind::kInteger:
      typed.integers.assign(size, 0);
      typed.missing.assign(size, 1);
      break;
    case CellKind::kBoolean:
      typed.booleans.assign(size, 0);
      typed.missing.assign(size, 1);
      break;
    case CellKind::kDate:
      typed.integers.assign(size, kNotATime);
      break;
  }
  if (kind == CellKind::kText) return typed;
  for (std::size_t i = 0; i < size; ++i) {
    if (IsMissing(cells[i])) continue;
    const std::string_view text = Trimmed(cells[i]);
    if (text.empty()) continue;
    bool converted = false;
    switch (kind) {
      case CellKind::kFloat:
        if (const std::optional<double> value = ParseFloat(text)) {
          typed.floats[i] = *value;
          converted = true;
        }
        break;
      case CellKind::kInteger:
        if (const std::optional<std::int64_t> value = ParseInteger(text)) {
          typed.integers[i] = *value;
          typed.missing[i] = 0;
          converted = true;
        }
        break;
      case CellKind::kBoolean:
        if (const std::optional<bool> value = ParseBooleanWord(text)) {
          typed.booleans[i] = *value;
          typed.missing[i] = 0;
          converted = true;
        }
        break;
      case CellKind::kDate:
        if (const std::optional<std::int64_t> value = DateTextNanoseconds(text)) {
          typed.integers[i] = *value;
          converted = true;
        }
        break;
      case CellKind::kText:
        break;
    }
    typed.invalid += !converted;
  }
  return typed;
}

}  // namespace kuv::python
