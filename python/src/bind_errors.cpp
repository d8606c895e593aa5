// kuv::Error becomes kuv.Error (kuv/_errors.py) with the library's code and
// message (for a file the system refused, also the matching OSError); kuv::Refusal becomes
// kuv.Refusal, a ValueError with the library's reason; a stale handle, ValueError.
#include <pybind11/stl.h>

#include "bindings.h"
#include "kuv/text.hpp"
#include "text_codec.h"

namespace py = pybind11;

namespace kuv::python {

namespace {

// kuv._errors.error_for makes the exception: for a file the system refused,
// also the matching OSError.
void RaiseError(const kuv::Error& error, const py::object& path, bool writing) {
  try {
    // Paths in messages are file-system bytes.
    PyObject* message = PyUnicode_DecodeFSDefault(error.what());
    if (message == nullptr) throw py::error_already_set();
    const py::object raised =
        py::module_::import("kuv._errors")
            .attr("error_for")(static_cast<int>(error.code()),
                               py::reinterpret_steal<py::str>(message), path, writing);
    PyErr_SetObject(reinterpret_cast<PyObject*>(Py_TYPE(raised.ptr())), raised.ptr());
  } catch (py::error_already_set& failed) {
    failed.restore();
  }
}

}  // namespace

void BindErrors(py::module_& module) {
  py::register_exception_translator([](std::exception_ptr thrown) {
    try {
      if (thrown) std::rethrow_exception(thrown);
    } catch (const FileError& error) {
      RaiseError(error, ToBytes(error.path()), error.writing());
    } catch (const kuv::Error& error) {
      RaiseError(error, py::none(), false);
    } catch (const kuv::Refusal& refusal) {
      try {
        const py::object type = py::module_::import("kuv._errors").attr("Refusal");
        // Names in messages are the document's bytes.
        PyObject* message = PyUnicode_DecodeFSDefault(refusal.what());
        if (message == nullptr) throw py::error_already_set();
        PyObject* why = PyUnicode_DecodeFSDefault(refusal.why().c_str());
        if (why == nullptr) {
          Py_DECREF(message);
          throw py::error_already_set();
        }
        const py::object raised =
            type(py::reinterpret_steal<py::str>(message), py::reinterpret_steal<py::str>(why));
        PyErr_SetObject(type.ptr(), raised.ptr());
      } catch (py::error_already_set& failed) {
        failed.restore();
      }
    } catch (const kuv::StaleHandle& stale) {
      PyErr_SetString(PyExc_ValueError, stale.what());
    }
  });
  // The code page's bytes 0x80 to 0x9F, for the package's own codec.
  std::vector<int> high;
  for (unsigned byte = 0x80; byte < 0xA0; ++byte) {
    high.push_back(static_cast<int>(Cp1252CodePoint(static_cast<unsigned char>(byte))));
  }
  module.attr("CP1252_HIGH") = py::cast(high);
}

}  // namespace kuv::python
