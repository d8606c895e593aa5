#include "core/timestamp.h"

#include <cstdio>

namespace kuv::core {

namespace {

bool InRange(int value, int low, int high) { return value >= low && value <= high; }

int ReadNumberField(std::string_view text) {
  std::size_t i = 0;
  const std::size_t length = text.size();
  while (i < length && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < length && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  int number = 0;
  for (; i < length && text[i] >= '0' && text[i] <= '9'; ++i)
    number = number * 10 + (text[i] - '0');
  return negative ? -number : number;
}

}  // namespace

std::string FormatTimestamp(int year, int month, int day, int hour, int minute) {
  char buffer[256];
  std::snprintf(buffer, sizeof buffer, "%04d%02d%02dT%02d:%02d:00000", year, month, day, hour,
                minute);
  return buffer;
}

bool DatePartsInRange(const DateParts& parts) {
  return InRange(parts.year, 1900, 2500) && InRange(parts.month, 1, 12) &&
         InRange(parts.day, 1, 31) && InRange(parts.hour, 0, 23) && InRange(parts.minute, 0, 59);
}

bool ReadTimestampParts(std::string_view text, DateParts* parts) {
  if (text.size() != 20) return false;
  parts->year = ReadNumberField(text.substr(0, 4));
  parts->month = ReadNumberField(text.substr(4, 2));
  parts->day = ReadNumberField(text.substr(6, 2));
  parts->hour = ReadNumberField(text.substr(9, 2));
  parts->minute = ReadNumberField(text.substr(12, 2));
  return true;
}

}  // namespace kuv::core
