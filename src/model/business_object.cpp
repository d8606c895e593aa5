#include "model/business_object.h"

#include "model/node_pools.h"

namespace kuv {

void CBusinessObject::SetFieldDef(std::string_view key, std::string_view definition) {
  auto found = FieldDefs.find(key);
  if (found != FieldDefs.end()) {
    found->second.assign(definition);
  } else {
    FieldDefs.emplace(std::string(key), std::string(definition));
  }
}

void CBusinessObject::SetTableDef(std::string_view table, std::string_view parent) {
  auto found = TableDefs.find(table);
  if (found != TableDefs.end()) {
    found->second.assign(parent);
  } else {
    TableDefs.emplace(std::string(table), std::string(parent));
  }
}

const std::string* CBusinessObject::FindFieldDef(std::string_view table,
                                                 std::string_view field) const {
  auto found = FieldDefs.find(FieldKey{table, field});
  return found == FieldDefs.end() ? nullptr : &found->second;
}

std::string_view CBusinessObject::GetUnit(std::string_view table, std::string_view field) const {
  const std::string* definition = FindFieldDef(table, field);
  return definition ? SplitAtFirstTab(*definition).first : std::string_view();
}

std::string_view CBusinessObject::GetType(std::string_view table, std::string_view field) const {
  const std::string* definition = FindFieldDef(table, field);
  return definition ? SplitAtFirstTab(*definition).second : std::string_view();
}

CTableNode* CBusinessObject::AddTable(std::string_view name) {
  tables_.push_back(MakeNode<CTableNode>(PoolsOf(this), name, nullptr));
  return tables_.back().get();
}

void CBusinessObject::RemoveTable(std::size_t i) { RemoveTableAt(tables_, i); }

CTableNode* CBusinessObject::GetTable(int i) const {
  if (i < 0 || static_cast<std::size_t>(i) >= tables_.size()) return nullptr;
  return tables_[static_cast<std::size_t>(i)].get();
}

}  // namespace kuv
