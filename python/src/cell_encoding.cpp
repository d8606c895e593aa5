#include "cell_encoding.h"

#include <datetime.h>
#include <pybind11/numpy.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "typed_cells.h"

namespace py = pybind11;

namespace kuv::python {

namespace {

[[noreturn]] void Refuse(std::size_t row, const std::string& label, const std::string& why) {
  throw py::value_error("kuv: row " + std::to_string(row) + ", column '" + label + "': " + why);
}

// As Python's repr writes it, so that add_frame and put agree.
void AddFloat(double value, OwnedCells& cells) {
  if (std::isnan(value)) {
    cells.AddMissing();
    return;
  }
  char* text = PyOS_double_to_string(value, 'r', 0, Py_DTSF_ADD_DOT_0, nullptr);
  if (text == nullptr) throw py::error_already_set();
  cells.Add(text);
  PyMem_Free(text);
}

template <typename Integer>
void AddInteger(Integer value, OwnedCells& cells) {
  char text[32];
  const auto result = std::to_chars(text, text + sizeof text, value);
  cells.Add(std::string_view(text, static_cast<std::size_t>(result.ptr - text)));
}

void AddDate(std::int64_t nanoseconds, std::size_t row, const std::string& label,
             OwnedCells& cells) {
  if (nanoseconds == kNotATime) {
    cells.AddMissing();
    return;
  }
  const std::optional<std::string> text = NanosecondsDateText(nanoseconds);
  if (!text) {
    Refuse(row, label,
           "a document's date holds whole minutes of the years 1900 to 2500 (round with "
           ".dt.floor('min'))");
  }
  cells.Add(*text);
}

bool IsMissingObject(PyObject* item, const py::tuple& missing) {
  if (item == Py_None) return true;
  if (PyFloat_Check(item) && std::isnan(PyFloat_AS_DOUBLE(item))) return true;
  for (const py::handle mark : missing) {
    if (item == mark.ptr()) return true;
  }
  return false;
}

void AddObject(PyObject* item, std::size_t row, const py::tuple& missing, const TextCodec& codec,
               const std::string& label, OwnedCells& cells, int depth = 0) {
  if (IsMissingObject(item, missing)) {
    cells.AddMissing();
  } else if (PyUnicode_Check(item) || PyBytes_Check(item)) {
    std::string bytes;
    if (!codec.Encode(item, &bytes)) {
      py::error_already_set error;
      Refuse(row, label, error.what());
    }
    cells.Add(bytes);
  } else if (PyBool_Check(item)) {
    cells.Add(item == Py_True ? "true" : "false");
  } else if (PyLong_Check(item)) {
    cells.Add(py::str(item).cast<std::string>());
  } else if (PyFloat_Check(item)) {
    AddFloat(PyFloat_AS_DOUBLE(item), cells);
  } else if (PyDateTime_Check(item)) {
    if (PyDateTime_DATE_GET_SECOND(item) != 0 || PyDateTime_DATE_GET_MICROSECOND(item) != 0) {
      Refuse(row, label, "a document's date holds whole minutes (round with .dt.floor('min'))");
    }
    char text[32];
    std::snprintf(text, sizeof text, "%04d%02d%02dT%02d:%02d:00000", PyDateTime_GET_YEAR(item),
                  PyDateTime_GET_MONTH(item), PyDateTime_GET_DAY(item),
                  PyDateTime_DATE_GET_HOUR(item), PyDateTime_DATE_GET_MINUTE(item));
    cells.Add(text);
  } else if (depth == 0 && PyObject_HasAttrString(item, "dtype") &&
             PyObject_HasAttrString(item, "item")) {
    // A numpy scalar: as the Python value it stands for.
    py::object plain = py::reinterpret_borrow<py::object>(item).attr("item")();
    AddObject(plain.ptr(), row, missing, codec, label, cells, 1);
  } else {
    Refuse(row, label,
           std::string("a value of type ") + Py_TYPE(item)->tp_name + " has no text in a document");
  }
}

template <typename T>
void AddIntegers(const py::array& array, OwnedCells& cells) {
  const auto typed = py::array_t<T, py::array::forcecast>::ensure(array);
  const auto view = typed.template unchecked<1>();
  for (py::ssize_t i = 0; i < view.shape(0); ++i) AddInteger(view(i), cells);
}

}  // namespace

OwnedCells EncodeColumn(const py::handle& values, const py::tuple& missing, const TextCodec& codec,
                        const std::string& label) {
  if (PyDateTimeAPI == nullptr) PyDateTime_IMPORT;
  if (PyDateTimeAPI == nullptr) throw py::error_already_set();
  const py::array array = py::reinterpret_borrow<py::array>(values);
  if (array.ndim() != 1)
    throw py::value_error("kuv: column '" + label + "' is not one-dimensional");
  OwnedCells cells;
  const py::ssize_t size = array.shape(0);
  const char kind = array.dtype().kind();
  if (kind == 'f') {
    const auto doubles = py::array_t<double, py::array::forcecast>::ensure(array);
    const auto view = doubles.unchecked<1>();
    for (py::ssize_t i = 0; i < size; ++i) AddFloat(view(i), cells);
  } else if (kind == 'i') {
    AddIntegers<std::int64_t>(array, cells);
  } else if (kind == 'u') {
    AddIntegers<std::uint64_t>(array, cells);
  } else if (kind == 'b') {
    const auto flags = py::array_t<bool, py::array::forcecast>::ensure(array);
    const auto view = flags.unchecked<1>();
    for (py::ssize_t i = 0; i < size; ++i) cells.Add(view(i) ? "true" : "false");
  } else if (kind == 'M' && array.dtype().itemsize() == 8 &&
             py::str(array.dtype()).cast<std::string>() == "datetime64[ns]") {
    for (py::ssize_t i = 0; i < size; ++i) {
      std::int64_t nanoseconds = 0;
      std::memcpy(&nanoseconds, array.data(i), sizeof nanoseconds);
      AddDate(nanoseconds, static_cast<std::size_t>(i), label, cells);
    }
  } else if (kind == 'O') {
    for (py::ssize_t i = 0; i < size; ++i) {
      PyObject* item = *static_cast<PyObject* const*>(array.data(i));
      AddObject(item == nullptr ? Py_None : item, static_cast<std::size_t>(i), missing, codec,
                label, cells);
    }
  } else {
    throw py::type_error("kuv: column '" + label + "' has the dtype " +
                         py::str(array.dtype()).cast<std::string>() +
                         ", which has no text in a document");
  }
  return cells;
}

}  // namespace kuv::python
