// The document's timestamp text "YYYYMMDDTHH:MM:00000", as KuvDateToString
// and the Date stamp of new objects write it, and its parts.
#ifndef KUV_CORE_TIMESTAMP_H_
#define KUV_CORE_TIMESTAMP_H_

#include <string>
#include <string_view>

#include "kuv/values.hpp"

namespace kuv::core {

using kuv::DateParts;

// "%04d%02d%02dT%02d:%02d:00000"; 20 characters for in-range parts.
std::string FormatTimestamp(int year, int month, int day, int hour, int minute);

// Year 1900..2500, month 1..12, day 1..31 (whatever the month), hour
// 0..23 and minute 0..59.
bool DatePartsInRange(const DateParts& parts);

// The five numbers of a 20-character text, each read from its positions
// as atoi reads (leading blanks, a sign, digits; none gives 0). Positions
// 8, 11 and 14 to 19 are not looked at. False, writing nothing, when the
// text is not 20 characters long; the parts may then still be out of
// range.
bool ReadTimestampParts(std::string_view text, DateParts* parts);

}  // namespace kuv::core

#endif  // KUV_CORE_TIMESTAMP_H_
