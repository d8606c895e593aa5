// The kinds of value that declared types name, and the words a boolean
// value is written as, shared by every reader of typed values (the tool's
// strict check, the Python frames).
#include <initializer_list>
#include <optional>
#include <string_view>

#include "kuv/document.hpp"

namespace kuv {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool EqualsLower(std::string_view text, std::string_view lower) {
  if (text.size() != lower.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c =
        text[i] >= 'A' && text[i] <= 'Z' ? static_cast<char>(text[i] - 'A' + 'a') : text[i];
    if (c != lower[i]) return false;
  }
  return true;
}

bool IsOneOf(std::string_view text, std::initializer_list<std::string_view> names) {
  for (const std::string_view name : names) {
    if (EqualsLower(text, name)) return true;
  }
  return false;
}

}  // namespace

ValueKind KindOfType(std::string_view type) {
  while (!type.empty() && IsBlank(type.front())) type.remove_prefix(1);
  while (!type.empty() && IsBlank(type.back())) type.remove_suffix(1);
  if (IsOneOf(type, {"float", "double", "real", "number", "numeric", "decimal", "single"})) {
    return ValueKind::kFloat;
  }
  if (IsOneOf(type, {"int", "integer", "long", "short", "int32", "int64"})) {
    return ValueKind::kInteger;
  }
  if (IsOneOf(type, {"bool", "boolean", "logical"})) return ValueKind::kBoolean;
  if (IsOneOf(type, {"date", "datetime", "timestamp"})) return ValueKind::kDate;
  return ValueKind::kText;
}

std::optional<bool> ParseBooleanWord(std::string_view text) {
  if (IsOneOf(text, {"true", "t", "yes", "y", "1"})) return true;
  if (IsOneOf(text, {"false", "f", "no", "n", "0"})) return false;
  return std::nullopt;
}

}  // namespace kuv
