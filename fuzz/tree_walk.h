// Walks over a store with explicit stacks, independent of the library's
// own walks, for the harnesses' checks. The stacks are kept from walk to
// walk: the checks walk after nearly every call, and an allocation under
// the address sanitizer costs more than the walk.
#ifndef KUV_FUZZ_TREE_WALK_H_
#define KUV_FUZZ_TREE_WALK_H_

#include <cstddef>
#include <string>
#include <vector>

#include "model/business_object.h"
#include "model/object_store.h"

namespace kuv::fuzz {

// The harnesses run on one thread, and no walk starts inside another.
inline std::vector<const CTableNode*>& PendingTables() {
  static std::vector<const CTableNode*> pending;
  pending.clear();
  return pending;
}

inline std::size_t CountValues(const CBusinessObject& object) {
  std::size_t count = 0;
  std::vector<const CTableNode*>& pending = PendingTables();
  for (const auto& table : object.tables()) pending.push_back(table.get());
  while (!pending.empty()) {
    const CTableNode* table = pending.back();
    pending.pop_back();
    for (const auto& row : table->rows()) {
      count += row->values().size();
      for (const auto& child : row->childTables()) pending.push_back(child.get());
    }
  }
  return count;
}

// Everything a store holds, rows included, but the version text of the
// root tag it was read with (a saved document always declares 2.0): two
// stores hold the same exactly when their descriptions are equal.
inline std::string DescribeContent(const CObjectStore& store) {
  std::string text;
  auto add = [&text](const std::string& part) {
    text += std::to_string(part.size());
    text += ':';
    text += part;
  };
  for (const auto& object : store.objects()) {
    text += "\nobject ";
    for (const std::string* part :
         {&object->id, &object->author, &object->version, &object->wellId, &object->date}) {
      add(*part);
    }
    for (const auto& [table, parent] : object->TableDefs) add(table), add(parent);
    text += '|';
    for (const auto& [key, definition] : object->FieldDefs) add(key), add(definition);
    std::vector<const CTableNode*>& pending = PendingTables();
    for (auto table = object->tables().rbegin(); table != object->tables().rend(); ++table) {
      pending.push_back(table->get());
    }
    text += "\ntables " + std::to_string(pending.size());
    while (!pending.empty()) {
      const CTableNode* table = pending.back();
      pending.pop_back();
      text += "\ntable ";
      add(table->name());
      text += std::to_string(table->rows().size());
      for (const auto& row : table->rows()) {
        text += " row " + std::to_string(row->childTables().size()) + " ";
        for (const CValueNode& value : row->values())
          add(row->FieldOf(value)), add(std::string(value.value()));
        for (auto child = row->childTables().rbegin(); child != row->childTables().rend();
             ++child) {
          pending.push_back(child->get());
        }
      }
    }
  }
  return text;
}

// The same, with the version text.
inline std::string DescribeStore(const CObjectStore& store) {
  return "version " + store.version + "\n" + DescribeContent(store);
}

}  // namespace kuv::fuzz

#endif  // KUV_FUZZ_TREE_WALK_H_
