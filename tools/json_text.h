// JSON strings, as the tool's JSON outputs write them.
#ifndef KUV_TOOLS_JSON_TEXT_H_
#define KUV_TOOLS_JSON_TEXT_H_

#include <string>
#include <string_view>

namespace kuv::tool {

// Appends utf8 to out as a JSON string: quoted, with quotes, backslashes
// and control characters escaped. With markupSafe, "<" is escaped too
// ("\u003c"), so that the JSON may stand inside an HTML script element
// whatever the text holds.
void AppendJsonString(std::string_view utf8, std::string* out, bool markupSafe = false);

}  // namespace kuv::tool

#endif  // KUV_TOOLS_JSON_TEXT_H_
