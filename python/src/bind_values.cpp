// The library's rules for value texts, for the package's Python side: the
// Date text and the kinds that declared types name.
#include <pybind11/stl.h>

#include "bindings.h"
#include "kuv/values.hpp"

namespace py = pybind11;

namespace kuv::python {

void BindValues(py::module_& module) {
  module.def(
      "parse_date",
      [](const py::bytes& text) -> std::optional<py::tuple> {
        const std::optional<DateParts> parts = ParseDate(BytesOf(text));
        if (!parts) return std::nullopt;
        return py::make_tuple(parts->year, parts->month, parts->day, parts->hour, parts->minute);
      },
      py::arg("text"));
  module.def(
      "format_date",
      [](int year, int month, int day, int hour, int minute) {
        DateParts parts;
        parts.year = year;
        parts.month = month;
        parts.day = day;
        parts.hour = hour;
        parts.minute = minute;
        return FormatDate(parts);
      },
      py::arg("year"), py::arg("month"), py::arg("day"), py::arg("hour"), py::arg("minute"));
  module.def(
      "kind_of_type", [](const py::bytes& type) { return NameOf(KindOfType(BytesOf(type))); },
      py::arg("type"));
}

}  // namespace kuv::python
