// _core.diff: the library's comparison of two documents (kuv/diff.hpp),
// run without the GIL; the differences come back as tuples of bytes for
// the package to decode and put in a DataFrame.
#include <pybind11/stl.h>

#include <optional>
#include <utility>
#include <vector>

#include "bindings.h"
#include "kuv/diff.hpp"

namespace py = pybind11;

namespace kuv::python {

namespace {

py::object OptionalBytes(const std::optional<std::string>& text) {
  return text ? py::object(ToBytes(*text)) : py::object(py::none());
}

py::list DiffDocuments(const DocumentRef& before, const DocumentRef& after,
                       const std::vector<std::pair<py::bytes, py::bytes>>& keys,
                       const std::optional<std::string>& tolerance) {
  DiffOptions options;
  for (const auto& [table, field] : keys) options.keys[BytesOf(table)] = BytesOf(field);
  if (tolerance) {
    options.tolerance = ParseTolerance(*tolerance);
    if (!options.tolerance) {
      throw py::value_error(
          "kuv: tolerance takes a number that is not negative, or a "
          "percentage such as '0.5%', not '" +
          *tolerance + "'");
    }
  }
  // One document compared with itself is locked once.
  DocumentLock first(*before.holder);
  std::optional<DocumentLock> second;
  if (after.holder != before.holder) second.emplace(*after.holder);
  std::vector<Difference> differences;
  {
    py::gil_scoped_release without_gil;
    Diff(before.holder->document, after.holder->document, options,
         [&](const Difference& difference) { differences.push_back(difference); });
  }
  py::list rows;
  for (const Difference& d : differences) {
    rows.append(py::make_tuple(NameOf(d.part), NameOf(d.change), ToBytes(d.object), d.objectNumber,
                               ToBytes(d.table), ToBytes(d.row), d.beforeRow, d.afterRow,
                               ToBytes(d.field), d.occurrence, d.attribute, OptionalBytes(d.before),
                               OptionalBytes(d.after)));
  }
  return rows;
}

}  // namespace

void BindDiff(py::module_& module) {
  module.def("diff", &DiffDocuments, py::arg("before"), py::arg("after"), py::arg("keys"),
             py::arg("tolerance"));
}

}  // namespace kuv::python
