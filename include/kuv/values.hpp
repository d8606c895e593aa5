// kuv: what the texts of values are worth. A document holds every value as
// text; a field's declared type says what kind of value its texts are, and
// this is the one grammar by which the library, the kuv tool and the Python
// package read them (the strict check, typed frames, plots and databases
// agree on every text).
#ifndef KUV_VALUES_HPP_
#define KUV_VALUES_HPP_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#if defined(_WIN32)
#if defined(KUV_BUILDING_DOCUMENT)
#define KUV_VALUES_API __declspec(dllexport)
#else
#define KUV_VALUES_API __declspec(dllimport)
#endif
#else
#define KUV_VALUES_API __attribute__((visibility("default")))
#endif

namespace kuv {

// A moment of the calendar, to the nanosecond; no time zone. The Date
// text holds whole minutes.
struct DateParts {
  int year = 0;
  int month = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
  int nanosecond = 0;
};

// The Date text "YYYYMMDDTHH:MM:00000" of these parts, as KuvDateToString
// writes it (seconds are not written).
KUV_VALUES_API std::string FormatDate(const DateParts& parts);
// The parts of a Date text; nullopt unless it has 20 characters and every
// part is in range (year 1900..2500, month 1..12, day 1..31, hour 0..23,
// minute 0..59), as KuvStringToDate decides.
KUV_VALUES_API std::optional<DateParts> ParseDate(std::string_view text);

// What a field's declared type says its values are: "float", "double",
// "real", "number", "numeric", "decimal" and "single" name floats; "int",
// "integer", "long", "short", "int32" and "int64" integers; "bool",
// "boolean" and "logical" booleans; "date", "datetime" and "timestamp"
// dates, in any case and with blanks around them. Anything else is text.
enum class ValueKind { kText, kFloat, kInteger, kBoolean, kDate };
KUV_VALUES_API ValueKind KindOfType(std::string_view type);
// "float", "integer", "boolean", "date" or "text".
KUV_VALUES_API const char* NameOf(ValueKind kind);

// The value of a boolean word: "true", "t", "yes", "y" and "1" are true;
// "false", "f", "no", "n" and "0" false, in any case; anything else,
// blanks included, is none.
KUV_VALUES_API std::optional<bool> ParseBooleanWord(std::string_view text);

// How a value text reads as a value of a kind.
enum class ValueReading {
  kValue,       // a value of the kind
  kMissing,     // blanks alone: no value (never for text)
  kOutOfRange,  // written as a value of the kind, beyond what it can hold
  kNotOfKind,   // anything else
};

// A value text read as a kind. Blanks (space, tab, CR, LF) around the text
// are passed over, for every kind but text.
//   float    a decimal number with an optional sign, digits with or without
//            a point, and an optional exponent ("-12.5", ".5", "7.",
//            "1.5e-3"), or "inf", "infinity" or "nan" in any case, signed or
//            not; out of range beyond the largest double ("1e400"), while a
//            number too small to hold reads as zero. No hexadecimal.
//   integer  digits with an optional sign; out of range beyond 64 bits.
//            "1.0" and "1e3" are no integers.
//   boolean  a boolean word (ParseBooleanWord).
//   date     a Date text "YYYYMMDDTHH:MM:SSfff" (seconds and thousandths,
//            "00000" as written), an ISO 8601 date "2005-01-19", or a date
//            and time "2005-01-19T14:05", "2005-01-19 14:05:30", with an
//            optional fraction of a second ("14:05:30.25"); a real day of
//            the calendar (years 1 to 9999), hours 0..23, minutes and
//            seconds 0..59. No time zone.
//   text     every text, as it is.
struct TypedValue {
  ValueReading reading = ValueReading::kNotOfKind;
  double number = 0;         // a float's value
  std::int64_t integer = 0;  // an integer's value
  bool boolean = false;      // a boolean's value
  DateParts date;            // a date's value
};
KUV_VALUES_API TypedValue ReadValue(std::string_view text, ValueKind kind);

// The text without the blanks around it.
KUV_VALUES_API std::string_view TrimBlanks(std::string_view text);

}  // namespace kuv

#endif  // KUV_VALUES_HPP_
