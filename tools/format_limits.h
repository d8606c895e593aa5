// What a document can hold. The format escapes nothing, so some texts would
// be written without complaint and read back as something else; these
// checks refuse them before anything is written.
#ifndef KUV_TOOLS_FORMAT_LIMITS_H_
#define KUV_TOOLS_FORMAT_LIMITS_H_

#include <string_view>

namespace kuv::tool {

// Each returns why the text cannot be stored in its place, or nullptr.

// The rules of a document rebuilt exactly as given: those the document API
// applies when it stores a text.
const char* ProblemStoringValue(std::string_view text);
// Table and field names of the content: they are tag texts.
const char* ProblemStoringName(std::string_view text);
// Header attributes and every text of a definition.
const char* ProblemStoringAttribute(std::string_view text);
// The table of a field definition and its unit: the definition keeps each
// with the text after it, joined by a tab (the library's rule of units).
const char* ProblemStoringKeyPart(std::string_view text);

// The stricter rules of objects built value by value on their
// declarations, as the C interface builds them: no zero character, and a
// name is not empty.
const char* ProblemWithValue(std::string_view text);
const char* ProblemWithName(std::string_view text);
const char* ProblemWithAttribute(std::string_view text);

}  // namespace kuv::tool

#endif  // KUV_TOOLS_FORMAT_LIMITS_H_
