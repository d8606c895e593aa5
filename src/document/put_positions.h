// The document API's put positions: where the next value put into each
// business object goes. A document keeps them beside its store, which
// leads back to them from any of its objects.
#ifndef KUV_DOCUMENT_PUT_POSITIONS_H_
#define KUV_DOCUMENT_PUT_POSITIONS_H_

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

 private:
  std::unordered_map<const CBusinessObject*, PutPosition> positions_;
};

// The put positions of the document that holds object.
inline PutPositions& PutPositionsOf(const CBusinessObject* object) {
  return *static_cast<PutPositions*>(PoolsOf(object).owner);
}

}  // namespace kuv::document

#endif  // KUV_DOCUMENT_PUT_POSITIONS_H_
