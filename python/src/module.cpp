// kuv._core: the document API for the pure-Python package kuv beside it.
// Every call that reads, writes or builds runs without the GIL.
#include <pybind11/pybind11.h>

#include "bindings.h"

PYBIND11_MODULE(_core, module) {
  module.doc() = "The kuv document API; use the package kuv rather than this module.";
  kuv::python::BindErrors(module);
  kuv::python::BindDocument(module);
  kuv::python::BindTree(module);
  kuv::python::BindFrames(module);
  kuv::python::BindValues(module);
  kuv::python::BindDiff(module);
  kuv::python::BindSqlite(module);
}
