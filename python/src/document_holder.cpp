#include "document_holder.h"

#include <pybind11/pybind11.h>

namespace py = pybind11;

namespace kuv::python {

DocumentHolder::DocumentHolder(Document opened) : document(std::move(opened)) {
  for (std::size_t i = 0; i < document.size(); ++i) ObjectAppended();
}

void DocumentHolder::ObjectRemoved(std::size_t index) {
  serials.erase(serials.begin() + static_cast<std::ptrdiff_t>(index));
  ++deletions;
}

DocumentLock::DocumentLock(DocumentHolder& holder, bool closed_too)
    : lock_(holder.mutex, std::try_to_lock) {
  if (!lock_.owns_lock()) {
    py::gil_scoped_release without_gil;
    lock_.lock();
  }
  if (holder.closed && !closed_too) throw py::value_error("kuv: the document is closed");
}

ObjectHandle::ObjectHandle(HolderPtr holder, std::size_t index)
    : holder_(std::move(holder)),
      object_(holder_->document.objects()[index]),
      serial_(holder_->serials[index]),
      index_(index) {}

BusinessObject ObjectHandle::Get() const {
  const std::vector<std::uint64_t>& serials = holder_->serials;
  if (index_ < serials.size() && serials[index_] == serial_) return object_;
  for (std::size_t i = 0; i < serials.size(); ++i) {
    if (serials[i] == serial_) {
      index_ = i;
      return object_;
    }
  }
  throw py::value_error("kuv: the business object was removed from its document");
}

template <typename Node>
Node NodeHandle<Node>::Get() const {
  object_.Get();
  if (object_.holder().deletions != deletions_) {
    throw py::value_error(
        "kuv: tables were deleted from the document since this handle was made; walk the "
        "object's tables again");
  }
  return node_;
}

template class NodeHandle<Table>;
template class NodeHandle<Row>;

}  // namespace kuv::python
