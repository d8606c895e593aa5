#include "model/node_pools.h"

namespace kuv {

void FreeNode(CBusinessObject* node) noexcept { PoolsOf(node).objects.Free(node); }
void FreeNode(CTableNode* node) noexcept { PoolsOf(node).tables.Free(node); }
void FreeNode(CRowNode* node) noexcept { PoolsOf(node).rows.Free(node); }

}  // namespace kuv
