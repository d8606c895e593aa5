#include "model/value_list.h"

#include <limits>
#include <stdexcept>

namespace kuv {

void ValueList::Clear() {
  records_.clear();
  names_.clear();
  nameIndex_.clear();
  values_.clear();
}

std::uint32_t ValueList::InternName(std::string_view name) {
  auto found = nameIndex_.find(std::string(name));
  if (found != nameIndex_.end()) return found->second;
  const auto index = static_cast<std::uint32_t>(names_.size());
  names_.emplace_back(name);
  nameIndex_.emplace(names_.back(), index);
  return index;
}

void ValueList::Append(std::int32_t rowIndex, std::uint32_t table, std::uint32_t parentTable,
                       std::uint32_t field, std::uint32_t unit, std::uint32_t type,
                       std::string_view value) {
  if (value.size() > std::numeric_limits<std::uint32_t>::max()) {
    throw std::length_error("value text too long");
  }
  records_.push_back(CValueRecord{rowIndex, table, parentTable, field, unit, type,
                                  static_cast<std::uint32_t>(value.size()), values_.size()});
  values_.append(value);
}

}  // namespace kuv
