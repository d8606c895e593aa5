#include "document_holder.h"

#include <pybind11/pybind11.h>

namespace py = pybind11;

namespace kuv::python {

DocumentLock::DocumentLock(DocumentHolder& holder, bool closed_too)
    : lock_(holder.mutex, std::try_to_lock) {
  if (!lock_.owns_lock()) {
    py::gil_scoped_release without_gil;
    lock_.lock();
  }
  if (holder.closed && !closed_too) throw py::value_error("kuv: the document is closed");
}

}  // namespace kuv::python
