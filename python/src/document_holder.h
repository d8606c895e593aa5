// What the Python objects of a document share: the document, a lock that
// keeps two Python threads from using it at once, and a count of the times
// nodes were deleted, which tells table and row handles that they may be
// stale. Handles hold the holder, so the document lives as long as any.
#ifndef KUV_PYTHON_DOCUMENT_HOLDER_H_
#define KUV_PYTHON_DOCUMENT_HOLDER_H_

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "kuv/document.hpp"

namespace kuv::python {

struct DocumentHolder {
  explicit DocumentHolder(Document opened);

  // Keep serials in step with the document's objects, so that a handle
  // never takes a new object made where a removed one was for its own.
  void ObjectAppended() { serials.push_back(next_serial++); }
  void ObjectRemoved(std::size_t index);

  Document document;
  std::vector<std::uint64_t> serials;  // one per object, in order
  std::uint64_t next_serial = 0;
  std::mutex mutex;
  bool closed = false;
  // Grows whenever nodes are deleted (an object removed, tables cleared,
  // the document closed).
  std::uint64_t deletions = 0;
};

using HolderPtr = std::shared_ptr<DocumentHolder>;

// Holds a document's lock. The lock is waited for without the GIL, so a
// thread that holds it may take the GIL back without deadlock.
class DocumentLock {
 public:
  // Unless closed_too, throws ValueError when the document was closed.
  explicit DocumentLock(DocumentHolder& holder, bool closed_too = false);
  DocumentLock(const DocumentLock&) = delete;
  DocumentLock& operator=(const DocumentLock&) = delete;

 private:
  std::unique_lock<std::mutex> lock_;
};

// A business object of a document, checked on every use: it may have been
// removed since.
class ObjectHandle {
 public:
  // The object at index, whose lock the caller holds.
  ObjectHandle(HolderPtr holder, std::size_t index);

  DocumentHolder& holder() const { return *holder_; }
  const HolderPtr& holder_ptr() const { return holder_; }
  // The object, once the caller holds the lock; throws ValueError when it
  // is no longer in its document.
  BusinessObject Get() const;
  bool SameAs(const ObjectHandle& other) const {
    return holder_ == other.holder_ && serial_ == other.serial_;
  }
  // Its position, once Get has succeeded.
  std::size_t index() const { return index_; }

 private:
  HolderPtr holder_;
  BusinessObject object_;
  std::uint64_t serial_;
  mutable std::size_t index_;  // where it was last seen
};

// A table or row node, valid until nodes are deleted from its document.
template <typename Node>
class NodeHandle {
 public:
  NodeHandle(ObjectHandle object, Node node, std::uint64_t deletions)
      : object_(std::move(object)), node_(node), deletions_(deletions) {}

  const ObjectHandle& object() const { return object_; }
  // The node, once the caller holds the lock; throws ValueError when nodes
  // were deleted since the handle was made.
  Node Get() const;

 private:
  ObjectHandle object_;
  Node node_;
  std::uint64_t deletions_;
};

using TableHandle = NodeHandle<Table>;
using RowHandle = NodeHandle<Row>;

}  // namespace kuv::python

#endif  // KUV_PYTHON_DOCUMENT_HOLDER_H_
