// Plain text searches inside a tag's text: attribute values and the root
// tag's version. Attributes are found by searching for their key, never by
// parsing, so a key inside another one ("ID='" in "WellID='") matches too.
#ifndef KUV_IO_TAG_TEXT_H_
#define KUV_IO_TAG_TEXT_H_

#include <optional>
#include <string_view>

namespace kuv::io {

inline bool Contains(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

enum class Definition { kNone, kField, kTable };

// A tag whose text contains "FieldDef" defines a field; else one whose text
// contains "TableDef" defines a table. One search serves both tests.
Definition DefinitionIn(std::string_view tagText);

// The text after the first occurrence of key (such as "ID='") up to the
// next apostrophe; nullopt when the key or that apostrophe is missing.
std::optional<std::string_view> AttributeText(std::string_view tagText, std::string_view key);

// The version text of a root tag text: from the second character after its
// first "=" (the whole text without one), cut before the character that
// precedes its first "?".
std::string_view VersionText(std::string_view rootTagText);

}  // namespace kuv::io

#endif  // KUV_IO_TAG_TEXT_H_
