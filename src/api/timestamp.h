// The document's timestamp text, as KuvDateToString and the Date stamp of
// new objects write it.
#ifndef KUV_API_TIMESTAMP_H_
#define KUV_API_TIMESTAMP_H_

#include <string>

namespace kuv::api {

// "%04d%02d%02dT%02d:%02d:00000"; 20 characters for in-range parts.
std::string FormatTimestamp(int year, int month, int day, int hour, int minute);

}  // namespace kuv::api

#endif  // KUV_API_TIMESTAMP_H_
