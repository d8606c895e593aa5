// Where the nodes of one store live. Business objects, tables and rows are
// allocated from pages that belong to their store and live as long as it
// does; a freed node's slot goes back to its pool and is reused for the
// next node of its kind. Each slot counts its generations (odd while a node
// lives in it, even while it is free), so that a handle remembering the
// count it saw can tell that its node is gone without touching freed
// memory. Pages are aligned to their size: a node finds its page, and
// through it its store's pools (model/node_pools.h), from its own address,
// so that nodes carry no pointer to them.
#ifndef KUV_MODEL_NODE_POOL_H_
#define KUV_MODEL_NODE_POOL_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <utility>
#include <vector>

namespace kuv {

class CBusinessObject;
class CTableNode;
class CRowNode;
struct NodePools;

namespace pool_detail {

constexpr std::size_t kPageSize = std::size_t{1} << 16;

// The start of every page.
struct PageHeader {
  NodePools* pools;
};

template <typename Node>
struct Slot {
  std::uint32_t generation;
  Slot* nextFree;  // while the slot is free
  alignas(Node) unsigned char storage[sizeof(Node)];
};

inline PageHeader& PageOf(const void* address) {
  const auto bits = reinterpret_cast<std::uintptr_t>(address);
  return *reinterpret_cast<PageHeader*>(bits & ~(std::uintptr_t{kPageSize} - 1));
}

template <typename Node>
Slot<Node>* SlotOf(const Node* node) {
  return reinterpret_cast<Slot<Node>*>(const_cast<unsigned char*>(
      reinterpret_cast<const unsigned char*>(node) - offsetof(Slot<Node>, storage)));
}

}  // namespace pool_detail

template <typename Node>
class NodePool {
 public:
  explicit NodePool(NodePools& owner) : owner_(owner) {}
  ~NodePool() {
    for (void* page : pages_) ::operator delete (page, std::align_val_t{pool_detail::kPageSize});
  }
  NodePool(const NodePool&) = delete;
  NodePool& operator=(const NodePool&) = delete;

  template <typename... Args>
  Node* Make(Args&&... args) {
    Slot* slot = TakeSlot();
    Node* node;
    try {
      node = new (slot->storage) Node(std::forward<Args>(args)...);
    } catch (...) {
      Return(slot);
      throw;
    }
    ++slot->generation;  // odd: in use
    ++live_;
    return node;
  }

  void Free(Node* node) noexcept {
    Slot* slot = pool_detail::SlotOf(node);
    node->~Node();
    ++slot->generation;  // even: free
    --live_;
    Return(slot);
  }

  // Frees every page once no node lives in them any more.
  void ReleasePagesIfUnused() noexcept {
    if (live_ != 0) return;
    for (void* page : pages_) ::operator delete (page, std::align_val_t{pool_detail::kPageSize});
    pages_.clear();
    free_ = nullptr;
  }

 private:
  using Slot = pool_detail::Slot<Node>;

  Slot* TakeSlot() {
    if (free_ == nullptr) AddPage();
    Slot* slot = free_;
    free_ = slot->nextFree;
    return slot;
  }
  void Return(Slot* slot) noexcept {
    slot->nextFree = free_;
    free_ = slot;
  }

  void AddPage() {
    constexpr std::size_t kFirstSlot =
        (sizeof(pool_detail::PageHeader) + alignof(Slot) - 1) / alignof(Slot) * alignof(Slot);
    constexpr std::size_t kSlotsPerPage = (pool_detail::kPageSize - kFirstSlot) / sizeof(Slot);
    static_assert(kSlotsPerPage >= 16, "a page holds a fair number of nodes");
    pages_.reserve(pages_.size() + 1);  // so that nothing below can throw
    auto* page = static_cast<unsigned char*>(
        ::operator new (pool_detail::kPageSize, std::align_val_t{pool_detail::kPageSize}));
    new (page) pool_detail::PageHeader{&owner_};
    pages_.push_back(page);
    // Threaded so that the page's first slot is taken first.
    for (std::size_t i = kSlotsPerPage; i-- > 0;) {
      auto* slot = new (page + kFirstSlot + i * sizeof(Slot)) Slot;
      slot->generation = 0;
      Return(slot);
    }
  }

  NodePools& owner_;
  std::vector<void*> pages_;
  Slot* free_ = nullptr;
  std::size_t live_ = 0;
};

// Gives a node back to the pool it came from.
void FreeNode(CBusinessObject* node) noexcept;
void FreeNode(CTableNode* node) noexcept;
void FreeNode(CRowNode* node) noexcept;

struct PoolDelete {
  template <typename Node>
  void operator()(Node* node) const noexcept {
    FreeNode(node);
  }
};

// A node owned where it hangs in the tree.
template <typename Node>
using Owned = std::unique_ptr<Node, PoolDelete>;

// A node's generation: it changes when the node is freed, and never comes
// back while its store lives.
template <typename Node>
std::uint32_t GenerationOf(const Node* node) {
  return pool_detail::SlotOf(node)->generation;
}

}  // namespace kuv

#endif  // KUV_MODEL_NODE_POOL_H_
