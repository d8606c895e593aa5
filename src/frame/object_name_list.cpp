#include "frame/object_name_list.h"

#include <cstring>

namespace kuv {

void ObjectNameList::Assign(const CObjectStore& store) {
  Free();
  copies_.reserve(store.objects().size());
  pointers_.reserve(store.objects().size() + 1);  // never a null array
  for (const auto& object : store.objects()) {
    auto copy = std::make_unique<char[]>(object->id.size() + 1);
    std::memcpy(copy.get(), object->id.c_str(), object->id.size() + 1);
    pointers_.push_back(copy.get());
    copies_.push_back(std::move(copy));
  }
}

void ObjectNameList::Free() {
  pointers_.clear();
  pointers_.shrink_to_fit();
  copies_.clear();
  copies_.shrink_to_fit();
}

}  // namespace kuv
