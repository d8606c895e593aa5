// Handles check that their node still lives before they touch it: a node
// removed from its document has left its slot at another generation.
#ifndef KUV_DOCUMENT_LIVE_NODES_H_
#define KUV_DOCUMENT_LIVE_NODES_H_

#include <cstdint>
#include <string>

#include "kuv/document.hpp"
#include "model/node_pool.h"

namespace kuv::document {

// node, when it is still the one seen in generation; else StaleHandle,
// naming what it was ("row", "table", "business object").
template <typename Node>
Node* LiveNode(Node* node, std::uint32_t generation, const char* what) {
  if (GenerationOf(node) != generation) {
    throw StaleHandle(std::string("kuv: this ") + what + " was removed from its document");
  }
  return node;
}

}  // namespace kuv::document

#endif  // KUV_DOCUMENT_LIVE_NODES_H_
