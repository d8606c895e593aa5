// Conversion between date parts and the timestamp text
// "YYYYMMDDTHH:MM:00000".
#include <cstdio>
#include <cstring>

#include "api/timestamp.h"
#include "frame/export_guard.h"
#include "kuv/kuv.h"

namespace kuv::api {

namespace {

bool InRange(int value, int low, int high) { return value >= low && value <= high; }

bool DatePartsInRange(int year, int month, int day, int hour, int minute) {
  return InRange(year, 1900, 2500) && InRange(month, 1, 12) && InRange(day, 1, 31) &&
         InRange(hour, 0, 23) && InRange(minute, 0, 59);
}

// Reads a number field as atoi does: leading white space, an optional
// sign, then digits up to the first other character; no digits give 0.
int ReadNumberField(const char* text, std::size_t length) {
  std::size_t i = 0;
  while (i < length && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < length && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  int number = 0;
  for (; i < length && text[i] >= '0' && text[i] <= '9'; ++i) number = number * 10 + (text[i] - '0');
  return negative ? -number : number;
}

}  // namespace

std::string FormatTimestamp(int year, int month, int day, int hour, int minute) {
  char buffer[256];
  std::snprintf(buffer, sizeof buffer, "%04d%02d%02dT%02d:%02d:00000", year, month, day, hour,
                minute);
  return buffer;
}

}  // namespace kuv::api

int KuvDateToString(int year, int month, int day, int hour, int minute, char** text) {
  if (text == nullptr) return 0;
  return kuv::WithState([&](kuv::LibraryState& state) {
    const bool ok = kuv::api::DatePartsInRange(year, month, day, hour, minute);
    kuv::CopyOutString(state, text, kuv::api::FormatTimestamp(year, month, day, hour, minute), 0);
    return ok ? 1 : 0;
  });
}

int KuvStringToDate(const char* text, int* year, int* month, int* day, int* hour, int* minute) {
  if (text == nullptr || year == nullptr || month == nullptr || day == nullptr ||
      hour == nullptr || minute == nullptr) {
    return 0;
  }
  return kuv::WithState([&](kuv::LibraryState&) {
    if (std::strlen(text) != 20) return 0;
    using kuv::api::ReadNumberField;
    *year = ReadNumberField(text, 4);
    *month = ReadNumberField(text + 4, 2);
    *day = ReadNumberField(text + 6, 2);
    *hour = ReadNumberField(text + 9, 2);
    *minute = ReadNumberField(text + 12, 2);
    return kuv::api::DatePartsInRange(*year, *month, *day, *hour, *minute) ? 1 : 0;
  });
}
