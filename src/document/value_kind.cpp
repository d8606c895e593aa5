// The kinds of value that declared types name, and the one grammar by which
// value texts read as values of a kind.
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include "kuv/values.hpp"

namespace kuv {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsLower(std::string_view text, std::string_view lower) {
  if (text.size() != lower.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (Lower(text[i]) != lower[i]) return false;
  }
  return true;
}

bool IsOneOf(std::string_view text, std::initializer_list<std::string_view> names) {
  for (const std::string_view name : names) {
    if (EqualsLower(text, name)) return true;
  }
  return false;
}

std::string_view WithoutSign(std::string_view text) {
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) text.remove_prefix(1);
  return text;
}

// "-12.5e3", ".5", "7.": digits with or without a point, an exponent.
bool IsDecimal(std::string_view text) {
  text = WithoutSign(text);
  std::size_t i = 0;
  const auto digits = [&] {
    const std::size_t start = i;
    while (i < text.size() && IsDigit(text[i])) ++i;
    return i - start;
  };
  std::size_t mantissa = digits();
  if (i < text.size() && text[i] == '.') {
    ++i;
    mantissa += digits();
  }
  if (mantissa == 0) return false;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    if (digits() == 0) return false;
  }
  return i == text.size();
}

void ReadFloat(std::string_view text, TypedValue& value) {
  const bool negative = !text.empty() && text.front() == '-';
  const std::string_view unsigned_text = WithoutSign(text);
  if (IsOneOf(unsigned_text, {"inf", "infinity"})) {
    value.reading = ValueReading::kValue;
    value.number = negative ? -HUGE_VAL : HUGE_VAL;
    return;
  }
  if (EqualsLower(unsigned_text, "nan")) {
    value.reading = ValueReading::kValue;
    value.number = std::nan("");
    return;
  }
  if (!IsDecimal(text)) return;
  // from_chars takes a minus sign and no plus sign.
  const std::string_view digits = text.front() == '+' ? text.substr(1) : text;
  double number = 0;
  const std::from_chars_result read =
      std::from_chars(digits.data(), digits.data() + digits.size(), number);
  if (read.ec == std::errc()) {
    value.reading = ValueReading::kValue;
    value.number = number;
    return;
  }
  // Out of range either way: strtod tells too large (an infinity) from
  // too small (zero or a subnormal number), which reads as what it is.
  const std::string terminated(digits);
  errno = 0;
  number = std::strtod(terminated.c_str(), nullptr);
  if (std::isinf(number)) {
    value.reading = ValueReading::kOutOfRange;
    return;
  }
  value.reading = ValueReading::kValue;
  value.number = number;
}

void ReadInteger(std::string_view text, TypedValue& value) {
  const std::string_view digits = WithoutSign(text);
  if (digits.empty()) return;
  for (const char c : digits) {
    if (!IsDigit(c)) return;
  }
  const std::string_view number = text.front() == '+' ? text.substr(1) : text;
  std::int64_t integer = 0;
  const std::from_chars_result read =
      std::from_chars(number.data(), number.data() + number.size(), integer);
  if (read.ec != std::errc()) {
    value.reading = ValueReading::kOutOfRange;
    return;
  }
  value.reading = ValueReading::kValue;
  value.integer = integer;
}

// The number in text[at, at + length), all digits.
std::optional<int> Digits(std::string_view text, std::size_t at, std::size_t length) {
  if (at + length > text.size()) return std::nullopt;
  int number = 0;
  for (std::size_t i = at; i < at + length; ++i) {
    if (!IsDigit(text[i])) return std::nullopt;
    number = number * 10 + (text[i] - '0');
  }
  return number;
}

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

bool IsRealMoment(const DateParts& parts) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (parts.year < 1 || parts.year > 9999 || parts.month < 1 || parts.month > 12) return false;
  const int days = parts.month == 2 && IsLeapYear(parts.year) ? 29 : kDays[parts.month - 1];
  return parts.day >= 1 && parts.day <= days && parts.hour <= 23 && parts.minute <= 59 &&
         parts.second <= 59;
}

// "YYYYMMDDTHH:MM:SSfff", the Date text.
std::optional<DateParts> DateText(std::string_view text) {
  if (text.size() != 20 || text[8] != 'T' || text[11] != ':' || text[14] != ':') {
    return std::nullopt;
  }
  const auto year = Digits(text, 0, 4), month = Digits(text, 4, 2), day = Digits(text, 6, 2);
  const auto hour = Digits(text, 9, 2), minute = Digits(text, 12, 2);
  const auto second = Digits(text, 15, 2), thousandths = Digits(text, 17, 3);
  if (!year || !month || !day || !hour || !minute || !second || !thousandths) return std::nullopt;
  return DateParts{*year, *month, *day, *hour, *minute, *second, *thousandths * 1'000'000};
}

// "2005-01-19", "2005-01-19T14:05", "2005-01-19 14:05:30.25".
std::optional<DateParts> IsoDate(std::string_view text) {
  if (text.size() < 10 || text[4] != '-' || text[7] != '-') return std::nullopt;
  const auto year = Digits(text, 0, 4), month = Digits(text, 5, 2), day = Digits(text, 8, 2);
  if (!year || !month || !day) return std::nullopt;
  DateParts parts{*year, *month, *day};
  if (text.size() == 10) return parts;
  if (text.size() < 16 || (text[10] != 'T' && text[10] != ' ') || text[13] != ':') {
    return std::nullopt;
  }
  const auto hour = Digits(text, 11, 2), minute = Digits(text, 14, 2);
  if (!hour || !minute) return std::nullopt;
  parts.hour = *hour;
  parts.minute = *minute;
  if (text.size() == 16) return parts;
  const auto second = Digits(text, 17, 2);
  if (text[16] != ':' || !second) return std::nullopt;
  parts.second = *second;
  if (text.size() == 19) return parts;
  // A fraction of a second, to the nanosecond.
  const std::size_t fraction = text.size() - 20;
  if (text[19] != '.' || fraction < 1 || fraction > 9) return std::nullopt;
  const auto digits = Digits(text, 20, fraction);
  if (!digits) return std::nullopt;
  int nanoseconds = *digits;
  for (std::size_t i = fraction; i < 9; ++i) nanoseconds *= 10;
  parts.nanosecond = nanoseconds;
  return parts;
}

void ReadDate(std::string_view text, TypedValue& value) {
  std::optional<DateParts> parts = DateText(text);
  if (!parts) parts = IsoDate(text);
  if (!parts || !IsRealMoment(*parts)) return;
  value.reading = ValueReading::kValue;
  value.date = *parts;
}

}  // namespace

ValueKind KindOfType(std::string_view type) {
  type = TrimBlanks(type);
  if (IsOneOf(type, {"float", "double", "real", "number", "numeric", "decimal", "single"})) {
    return ValueKind::kFloat;
  }
  if (IsOneOf(type, {"int", "integer", "long", "short", "int32", "int64"})) {
    return ValueKind::kInteger;
  }
  if (IsOneOf(type, {"bool", "boolean", "logical"})) return ValueKind::kBoolean;
  if (IsOneOf(type, {"date", "datetime", "timestamp"})) return ValueKind::kDate;
  return ValueKind::kText;
}

const char* NameOf(ValueKind kind) {
  switch (kind) {
    case ValueKind::kFloat:
      return "float";
    case ValueKind::kInteger:
      return "integer";
    case ValueKind::kBoolean:
      return "boolean";
    case ValueKind::kDate:
      return "date";
    case ValueKind::kText:
      break;
  }
  return "text";
}

std::optional<bool> ParseBooleanWord(std::string_view text) {
  if (IsOneOf(text, {"true", "t", "yes", "y", "1"})) return true;
  if (IsOneOf(text, {"false", "f", "no", "n", "0"})) return false;
  return std::nullopt;
}

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

TypedValue ReadValue(std::string_view text, ValueKind kind) {
  TypedValue value;
  if (kind == ValueKind::kText) {
    value.reading = ValueReading::kValue;
    return value;
  }
  text = TrimBlanks(text);
  if (text.empty()) {
    value.reading = ValueReading::kMissing;
    return value;
  }
  switch (kind) {
    case ValueKind::kFloat:
      ReadFloat(text, value);
      break;
    case ValueKind::kInteger:
      ReadInteger(text, value);
      break;
    case ValueKind::kBoolean:
      if (const std::optional<bool> word = ParseBooleanWord(text)) {
        value.reading = ValueReading::kValue;
        value.boolean = *word;
      }
      break;
    case ValueKind::kDate:
      ReadDate(text, value);
      break;
    case ValueKind::kText:
      break;
  }
  return value;
}

}  // namespace kuv
