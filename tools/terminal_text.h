// Texts of a document as one line of a terminal shows them: decoded, with
// line breaks and other control characters escaped, so that no text can
// move the cursor, colour the screen or break a line in two.
#ifndef KUV_TOOLS_TERMINAL_TEXT_H_
#define KUV_TOOLS_TERMINAL_TEXT_H_

#include <string>
#include <string_view>

#include "kuv/text.hpp"

namespace kuv::tool {

std::string TerminalText(std::string_view bytes, Encoding encoding);

// Appends TerminalText(bytes) to out; most texts are printable ASCII,
// appended as they are without a copy of their own.
void AppendTerminalText(std::string_view bytes, Encoding encoding, std::string* out);

}  // namespace kuv::tool

#endif  // KUV_TOOLS_TERMINAL_TEXT_H_
