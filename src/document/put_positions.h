// The document API's put positions: where the next value put into each
// business object goes. A document keeps them beside its store, which
// leads back to them from any of its objects.
#ifndef KUV_DOCUMENT_PUT_POSITIONS_H_
#define KUV_DOCUMENT_PUT_POSITIONS_H_

#include <iterator>
#include <unordered_map>

#include "core/put_value.h"
#include "model/business_object.h"
#include "model/node_pools.h"

namespace kuv::document {

class PutPositions {
 public:
  PutPosition& Of(const CBusinessObject* object) { return positions_[object]; }
  // The object's nodes go, or the object: its next value starts at the top.
  void Forget(const CBusinessObject* object) { positions_.erase(object); }
  // A table or row goes with everything under it: a position inside it
  // starts at the top again.
  template <typename Node>
  void ForgetWithin(const Node* gone) {
    for (auto it = positions_.begin(); it != positions_.end();) {
      const bool inside =
          static_cast<const void*>(it->second.row) == gone || Holds(gone, it->second.table);
      it = inside ? positions_.erase(it) : std::next(it);
    }
  }

 private:
  // Whether table is node or lies under it.
  template <typename Node>
  static bool Holds(const Node* node, const CTableNode* table) {
    for (const CTableNode* t = table; t != nullptr;) {
      if (static_cast<const void*>(t) == node) return true;
      const CRowNode* row = t->parentRow();
      if (static_cast<const void*>(row) == node) return true;
      t = row != nullptr ? row->parentTable() : nullptr;
    }
    return false;
  }

 public:
 private:
  std::unordered_map<const CBusinessObject*, PutPosition> positions_;
};

// The put positions of the document that holds node (an object, a table
// or a row).
inline PutPositions& PutPositionsOf(const void* node) {
  return *static_cast<PutPositions*>(PoolsOf(node).owner);
}

}  // namespace kuv::document

#endif  // KUV_DOCUMENT_PUT_POSITIONS_H_
