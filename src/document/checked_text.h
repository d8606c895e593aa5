// The document API's refusals: each says what was refused and why, and
// throws kuv::Refusal.
#ifndef KUV_DOCUMENT_CHECKED_TEXT_H_
#define KUV_DOCUMENT_CHECKED_TEXT_H_

#include <string>
#include <string_view>

namespace kuv::document {

// "kuv: " and what, then ": " and why.
[[noreturn]] void Refuse(const std::string& what, const char* why);

// Refuse, naming what (such as "Author"), a text that cannot be stored in
// its place.
void RequireStorableAttribute(std::string_view text, const char* what);
void RequireStorableUnit(std::string_view text);
void RequireStorableName(std::string_view text, const char* what);
void RequireStorableValue(std::string_view text);

// Refuses, as what, when a rule answered why.
inline void RequireDone(const char* why, const std::string& what) {
  if (why != nullptr) Refuse(what, why);
}

// A name or text in quotes, for messages.
std::string Quoted(std::string_view text);

}  // namespace kuv::document

#endif  // KUV_DOCUMENT_CHECKED_TEXT_H_
