#include "io/storable_text.h"

#include <cstring>

#include "io/tag_text.h"

namespace kuv::io {

const char* WhyNotStorableValue(std::string_view text) {
  // A value may be long: one memchr rather than a search for a text.
  if (std::memchr(text.data(), '<', text.size()) != nullptr) {
    return "it holds '<', which starts a tag";
  }
  return nullptr;
}

const char* WhyNotStorableAttribute(std::string_view text) {
  if (Contains(text, "'")) return "it holds an apostrophe, which ends an attribute";
  if (Contains(text, ">")) return "it holds '>', which ends a tag";
  if (DefinitionIn(text) != Definition::kNone) {
    return "it holds 'FieldDef' or 'TableDef', which marks a definition";
  }
  if (!text.empty() && text.back() == '=') return "it ends in '=', which would read as a key";
  return nullptr;
}

const char* WhyNotStorableUnit(std::string_view text) {
  if (const char* why = WhyNotStorableAttribute(text)) return why;
  if (Contains(text, "\t")) return "it holds a tab, which separates the names of a definition";
  return nullptr;
}

const char* WhyNotStorableName(std::string_view text) {
  if (const char* why = WhyNotStorableUnit(text)) return why;
  if (Contains(text, "<")) return "it holds '<', which starts a tag";
  if (!text.empty() && (text.front() == '/' || text.front() == '!' || text.front() == '?')) {
    return "it begins with '/', '!' or '?', which mark closing tags and comments";
  }
  if (text == "DataDescription") return "it is the name of the definitions' element";
  return nullptr;
}

}  // namespace kuv::io
