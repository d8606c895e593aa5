// The pools of one store, and the making of nodes in them.
#ifndef KUV_MODEL_NODE_POOLS_H_
#define KUV_MODEL_NODE_POOLS_H_

#include <utility>

#include "model/business_object.h"
#include "model/node_pool.h"
#include "model/table_node.h"

namespace kuv {

struct NodePools {
  NodePools() : objects(*this), tables(*this), rows(*this) {}
  NodePools(const NodePools&) = delete;
  NodePools& operator=(const NodePools&) = delete;

  NodePool<CBusinessObject> objects;
  NodePool<CTableNode> tables;
  NodePool<CRowNode> rows;
  // Whatever holds the store keeps here what its nodes must lead it to;
  // the model does not look at it.
  void* owner = nullptr;

  NodePool<CBusinessObject>& For(const CBusinessObject*) { return objects; }
  NodePool<CTableNode>& For(const CTableNode*) { return tables; }
  NodePool<CRowNode>& For(const CRowNode*) { return rows; }

  // Frees every page once no node lives in them any more.
  void ReleasePagesIfUnused() noexcept {
    objects.ReleasePagesIfUnused();
    tables.ReleasePagesIfUnused();
    rows.ReleasePagesIfUnused();
  }
};

// The pools that a node, or any other node of the same store, was made in.
inline NodePools& PoolsOf(const void* node) { return *pool_detail::PageOf(node).pools; }

template <typename Node, typename... Args>
Owned<Node> MakeNode(NodePools& pools, Args&&... args) {
  return Owned<Node>(
      pools.For(static_cast<const Node*>(nullptr)).Make(std::forward<Args>(args)...));
}

}  // namespace kuv

#endif  // KUV_MODEL_NODE_POOLS_H_
