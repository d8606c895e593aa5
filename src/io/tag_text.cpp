#include "io/tag_text.h"

namespace kuv::io {

Definition DefinitionIn(std::string_view tagText) {
  // Most tags are names shorter than either keyword.
  if (tagText.size() < 8) return Definition::kNone;
  constexpr std::string_view kSuffix = "Def";
  constexpr std::size_t kPrefixLength = 5;  // "Field" and "Table"
  bool table = false;
  for (std::size_t at = tagText.find(kSuffix, kPrefixLength); at != std::string_view::npos;
       at = tagText.find(kSuffix, at + 1)) {
    const std::string_view prefix = tagText.substr(at - kPrefixLength, kPrefixLength);
    if (prefix == "Field") return Definition::kField;
    table = table || prefix == "Table";
  }
  return table ? Definition::kTable : Definition::kNone;
}

std::optional<std::string_view> AttributeText(std::string_view tagText, std::string_view key) {
  const std::size_t at = tagText.find(key);
  if (at == std::string_view::npos) return std::nullopt;
  const std::size_t start = at + key.size();
  const std::size_t close = tagText.find('\'', start);
  if (close == std::string_view::npos) return std::nullopt;
  return tagText.substr(start, close - start);
}

std::string_view VersionText(std::string_view rootTagText) {
  std::string_view text = rootTagText;
  const std::size_t equals = text.find('=');
  if (equals != std::string_view::npos) {
    // Skips the "=" and the opening apostrophe.
    text = equals + 2 <= text.size() ? text.substr(equals + 2) : std::string_view();
  }
  const std::size_t question = text.find('?');
  if (question != std::string_view::npos) {
    // The character before a "?" is the closing apostrophe of a version
    // written inside a processing instruction.
    text = text.substr(0, question == 0 ? 0 : question - 1);
  }
  return text;
}

}  // namespace kuv::io
