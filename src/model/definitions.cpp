#include "model/definitions.h"

namespace kuv {

int DefinitionOrder::Compare(std::string_view text, const FieldKey& key) {
  const std::string_view head = text.substr(0, key.table.size());
  if (int c = head.compare(key.table.substr(0, head.size())); c != 0) return c;
  if (text.size() < key.table.size()) return -1;
  std::string_view rest = text.substr(key.table.size());
  if (rest.empty()) return -1;
  const auto sep = static_cast<unsigned char>(kDefinitionSeparator);
  const auto here = static_cast<unsigned char>(rest.front());
  if (here != sep) return here < sep ? -1 : 1;
  return rest.substr(1).compare(key.field);
}

std::string MakeFieldKey(std::string_view table, std::string_view field) {
  std::string key;
  key.reserve(table.size() + 1 + field.size());
  key.append(table);
  key.push_back(kDefinitionSeparator);
  key.append(field);
  return key;
}

SplitText SplitAtFirstTab(std::string_view text) {
  const auto tab = text.find(kDefinitionSeparator);
  if (tab == std::string_view::npos) return {std::string_view(), text};
  return {text.substr(0, tab), text.substr(tab + 1)};
}

}  // namespace kuv
