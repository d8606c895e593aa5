#include "document/checked_text.h"

#include <stdexcept>
#include <string>

#include "io/storable_text.h"

namespace kuv::document {

namespace {

[[noreturn]] void Refuse(const char* what, std::string_view text, const char* rule) {
  throw std::invalid_argument("kuv: the " + std::string(what) + " \"" + std::string(text) +
                              "\" cannot be stored in a document: " + rule);
}

}  // namespace

void RequireStorableAttribute(std::string_view text, const char* what) {
  if (!io::IsStorableAttribute(text)) {
    Refuse(what, text,
           "an attribute text may not hold an apostrophe or '>', contain FieldDef or TableDef, "
           "nor end in '='");
  }
}

void RequireStorableName(std::string_view text, const char* what) {
  if (!io::IsStorableName(text)) {
    Refuse(what, text,
           "a name may not hold an apostrophe, '<' or '>', contain FieldDef or TableDef, end in "
           "'=', begin with '/', '!' or '?', nor be DataDescription");
  }
}

void RequireStorableValue(std::string_view text) {
  if (!io::IsStorableValue(text)) Refuse("value", text, "a value may not hold '<'");
}

}  // namespace kuv::document
