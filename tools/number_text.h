// How the tool reads numbers in value texts: the one place that decides
// what the text of a float or an integer field is worth, for the strict
// check and the view alike.
#ifndef KUV_TOOLS_NUMBER_TEXT_H_
#define KUV_TOOLS_NUMBER_TEXT_H_

#include <optional>
#include <string_view>

#include "kuv/document.hpp"

namespace kuv::tool {

// The text without the blanks (space, tab, CR, LF) around it.
std::string_view TrimBlanks(std::string_view text);

// Whether text, blanks around it aside, reads as a number of that kind:
// for kFloat a decimal number ("-12.5e3", ".5", "7.") or what strtod
// reads whole but hexadecimal ("inf", "nan"); for kInteger up to 18
// digits with an optional sign. An empty text is no number, nor is any
// text of another kind.
bool ReadsAsNumber(std::string_view text, ValueKind kind);

// The number that text reads as, by the same rule; nullopt when it does
// not read as one.
std::optional<double> NumberValue(std::string_view text, ValueKind kind);

}  // namespace kuv::tool

#endif  // KUV_TOOLS_NUMBER_TEXT_H_
