// The document API refuses texts that a saved document would give back
// changed; setters say so with std::invalid_argument.
#ifndef KUV_DOCUMENT_CHECKED_TEXT_H_
#define KUV_DOCUMENT_CHECKED_TEXT_H_

#include <string_view>

namespace kuv::document {

// Throw std::invalid_argument naming what (such as "Author") when text
// cannot be stored in its place.
void RequireStorableAttribute(std::string_view text, const char* what);
void RequireStorableName(std::string_view text, const char* what);
void RequireStorableValue(std::string_view text);

}  // namespace kuv::document

#endif  // KUV_DOCUMENT_CHECKED_TEXT_H_
