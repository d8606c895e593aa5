// The Date stamp of new and rewritten objects: the current local time.
#ifndef KUV_DOCUMENT_CURRENT_DATE_H_
#define KUV_DOCUMENT_CURRENT_DATE_H_

#include <string>

#include "core/timestamp.h"
#include "platform/platform.h"

namespace kuv::document {

inline std::string CurrentDateText() {
  const platform::LocalTime now = platform::DefaultPlatform().CurrentLocalTime();
  return core::FormatTimestamp(now.year, now.month, now.day, now.hour, now.minute);
}

}  // namespace kuv::document

#endif  // KUV_DOCUMENT_CURRENT_DATE_H_
