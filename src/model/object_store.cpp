#include "model/object_store.h"

namespace kuv {

CBusinessObject* CObjectStore::Append(std::string_view id) {
  objects_.push_back(MakeNode<CBusinessObject>(pools_, id));
  return objects_.back().get();
}

void CObjectStore::Clear() {
  objects_.clear();
  pools_.ReleasePagesIfUnused();
}

void CObjectStore::RemoveAt(int i) {
  if (i < 0 || static_cast<std::size_t>(i) >= objects_.size()) return;
  objects_.erase(objects_.begin() + i);
}

CTableNode* CObjectStore::AppendTableToLast(std::string_view name) {
  if (objects_.empty()) return nullptr;
  return objects_.back()->AddTable(name);
}

int CObjectStore::Find(std::string_view id) const {
  for (std::size_t i = 0; i < objects_.size(); ++i) {
    if (objects_[i]->id == id) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace kuv
