#include "io/storable_text.h"

#include <cstring>

#include "io/tag_text.h"

namespace kuv::io {

bool IsStorableValue(std::string_view text) {
  return std::memchr(text.data(), '<', text.size()) == nullptr;
}

bool IsStorableAttribute(std::string_view text) {
  if (text.find_first_of("'>") != std::string_view::npos) return false;
  if (!text.empty() && text.back() == '=') return false;
  return DefinitionIn(text) == Definition::kNone;
}

bool IsStorableName(std::string_view text) {
  if (!IsStorableAttribute(text) || text.find('<') != std::string_view::npos) return false;
  if (!text.empty() && (text.front() == '/' || text.front() == '!' || text.front() == '?')) {
    return false;
  }
  return text != "DataDescription";
}

}  // namespace kuv::io
