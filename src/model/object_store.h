// A document in memory: its business objects in order, and the version text
// of its root tag as the reader found it. The library holds two: the
// template store and the data store.
#ifndef KUV_MODEL_OBJECT_STORE_H_
#define KUV_MODEL_OBJECT_STORE_H_

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "model/business_object.h"
#include "model/node_pools.h"

namespace kuv {

class CObjectStore {
 public:
  CObjectStore() = default;
  CObjectStore(const CObjectStore&) = delete;
  CObjectStore& operator=(const CObjectStore&) = delete;

  std::string version;
  // Whether the last tag read, comments aside, was the closing root tag
  // "</KUV>". Reading takes a document that stops after any closing tag,
  // so a file cut at a line end reads without error; this tells it from a
  // whole one. Set by the reader only.
  bool rootClosed = false;

  // Deletes every business object, and gives back the memory that held
  // them; the version text stays.
  void Clear();
  int GetCount() const { return static_cast<int>(objects_.size()); }
  // The business object at i, or null when i is out of range.
  CBusinessObject* GetAt(int i) const {
    if (i < 0 || static_cast<std::size_t>(i) >= objects_.size()) return nullptr;
    return objects_[static_cast<std::size_t>(i)].get();
  }
  // Appends a new business object with this ID and returns it.
  CBusinessObject* Append(std::string_view id);
  // Deletes the object at i; later objects move down one place.
  void RemoveAt(int i);
  // Appends a top-level table to the last business object; null when the
  // store holds none.
  CTableNode* AppendTableToLast(std::string_view name);
  // Whatever holds the store, found again from any of its nodes through
  // PoolsOf(node).owner; null unless set.
  void SetOwner(void* owner) { pools_.owner = owner; }

  // Index of the first object with exactly this ID, or -1.
  int Find(std::string_view id) const;
  const std::vector<Owned<CBusinessObject>>& objects() const { return objects_; }

 private:
  NodePools pools_;  // before the objects, which go back to it
  std::vector<Owned<CBusinessObject>> objects_;
};

}  // namespace kuv

#endif  // KUV_MODEL_OBJECT_STORE_H_
