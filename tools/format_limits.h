// What a document can hold. The format escapes nothing, so some texts would
// be written without complaint and read back as something else; these
// checks refuse them before anything is written.
#ifndef KUV_TOOLS_FORMAT_LIMITS_H_
#define KUV_TOOLS_FORMAT_LIMITS_H_

#include <string_view>

namespace kuv::tool {

// Each returns why the text cannot be stored in its place, or nullptr.
const char* ProblemWithValue(std::string_view text);
// Table and field names: they are tag texts, and stand in definitions.
const char* ProblemWithName(std::string_view text);
// Header attributes and the unit, type and parent of definitions.
const char* ProblemWithAttribute(std::string_view text);

}  // namespace kuv::tool

#endif  // KUV_TOOLS_FORMAT_LIMITS_H_
