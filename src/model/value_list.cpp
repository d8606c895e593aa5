#include "model/value_list.h"


namespace kuv {

void ValueList::Clear() {
  records_.clear();
  names_.clear();
  views_.clear();
  nameIndex_.clear();
  values_.clear();
}

std::uint32_t ValueList::InternName(std::string_view name) {
  auto found = nameIndex_.find(name);
  if (found != nameIndex_.end()) return found->second;
  const auto index = static_cast<std::uint32_t>(names_.size());
  names_.emplace_back(name);
  views_.push_back(names_.back());
  nameIndex_.emplace(names_.back(), index);
  return index;
}


}  // namespace kuv
