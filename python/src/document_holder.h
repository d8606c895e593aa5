// What the Python objects of a document share: the document, and a lock
// that keeps two Python threads from using it at once. Handles hold the
// holder, so the document lives as long as any of them; closing it frees
// it at once, and every handle then says so instead of reaching into the
// freed document. A handle whose node was removed from a living document
// is the library's to refuse (kuv::StaleHandle, ValueError in Python).
#ifndef KUV_PYTHON_DOCUMENT_HOLDER_H_
#define KUV_PYTHON_DOCUMENT_HOLDER_H_

#include <memory>
#include <mutex>

#include "kuv/document.hpp"

namespace kuv::python {

struct DocumentHolder {
  explicit DocumentHolder(Document opened) : document(std::move(opened)) {}

  Document document;
  std::mutex mutex;
  bool closed = false;
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

// A node of a document (BusinessObject, Table or Row) with the holder that
// keeps its document alive and the business object it belongs to. Use the
// node only while holding the lock.
template <typename Node>
class Handle {
 public:
  Handle(HolderPtr holder, BusinessObject object, Node node)
      : holder_(std::move(holder)), object_(object), node_(node) {}

  DocumentHolder& holder() const { return *holder_; }
  const BusinessObject& object() const { return object_; }
  Node Get() const { return node_; }
  // A handle of another node of the same object.
  template <typename Other>
  Handle<Other> Beside(Other other) const {
    return Handle<Other>(holder_, object_, other);
  }
  bool SameAs(const Handle& other) const {
    return holder_ == other.holder_ && node_ == other.node_;
  }

 private:
  HolderPtr holder_;
  BusinessObject object_;
  Node node_;
};

using ObjectHandle = Handle<BusinessObject>;
using TableHandle = Handle<Table>;
using RowHandle = Handle<Row>;

inline ObjectHandle HandleOf(HolderPtr holder, BusinessObject object) {
  return ObjectHandle(std::move(holder), object, object);
}

}  // namespace kuv::python

#endif  // KUV_PYTHON_DOCUMENT_HOLDER_H_
