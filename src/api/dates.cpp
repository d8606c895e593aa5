// KuvDateToString and KuvStringToDate: date parts to and from the
// timestamp text "YYYYMMDDTHH:MM:00000".
#include <cstring>

#include "core/timestamp.h"
#include "frame/export_guard.h"
#include "kuv/kuv.h"

int KuvDateToString(int year, int month, int day, int hour, int minute, char** text) {
  if (text == nullptr) return 0;
  return kuv::WithState([&](kuv::LibraryState& state) {
    const bool ok = kuv::core::DatePartsInRange({year, month, day, hour, minute});
    *text = state.HandOut(0, kuv::core::FormatTimestamp(year, month, day, hour, minute));
    return ok ? 1 : 0;
  });
}

int KuvStringToDate(const char* text, int* year, int* month, int* day, int* hour, int* minute) {
  if (!kuv::AllGiven(text, year, month, day, hour, minute)) return 0;
  return kuv::WithState([&](kuv::LibraryState&) {
    kuv::core::DateParts parts;
    if (!kuv::core::ReadTimestampParts({text, std::strlen(text)}, &parts)) return 0;
    *year = parts.year;
    *month = parts.month;
    *day = parts.day;
    *hour = parts.hour;
    *minute = parts.minute;
    return kuv::core::DatePartsInRange(parts) ? 1 : 0;
  });
}
