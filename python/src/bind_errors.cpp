// kuv::Error becomes kuv.Error (kuv/_errors.py) with the library's code and
// message; kuv::Refusal becomes kuv.Refusal, a ValueError with the
// library's reason; a stale handle, ValueError.
#include <pybind11/stl.h>

#include "bindings.h"
#include "kuv/text.hpp"
#include "text_codec.h"

namespace py = pybind11;

namespace kuv::python {

void BindErrors(py::module_& module) {
  py::register_exception_translator([](std::exception_ptr thrown) {
    try {
      if (thrown) std::rethrow_exception(thrown);
    } catch (const kuv::Error& error) {
      try {
        const py::object type = py::module_::import("kuv._errors").attr("Error");
        // Paths in messages are file-system bytes.
        PyObject* message = PyUnicode_DecodeFSDefault(error.what());
        if (message == nullptr) throw py::error_already_set();
        const py::object raised =
            type(static_cast<int>(error.code()), py::reinterpret_steal<py::str>(message));
        PyErr_SetObject(type.ptr(), raised.ptr());
      } catch (py::error_already_set& failed) {
        failed.restore();
      }
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
