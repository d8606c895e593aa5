#include "cell_encoding.h"

#include <datetime.h>
#include <pybind11/numpy.h>

#include <charconv>
#include <cmath>
#include <cstring>

#include "datetime64.h"

namespace py = pybind11;

namespace kuv::python {

namespace {

std::string RowWhere(std::size_t row, const FieldKind& field, const std::string& table) {
  return "cannot add the frame to table '" + table + "', row " + std::to_string(row) +
         ", column '" + field.label + "'";
}

template <typename Integer>
std::string IntegerText(Integer value) {
  char text[32];
  const auto result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, static_cast<std::size_t>(result.ptr - text));
}

bool IsMissingObject(PyObject* item, const py::tuple& missing) {
  if (item == Py_None) return true;
  if (PyFloat_Check(item) && std::isnan(PyFloat_AS_DOUBLE(item))) return true;
  for (const py::handle mark : missing) {
    if (item == mark.ptr()) return true;
  }
  return false;
}

std::string DateTimeText(PyObject* item, const FieldKind& field, const std::string& where) {
  CheckSort(ValueSort::kDate, field, where);
  DateParts parts;
  parts.year = PyDateTime_GET_YEAR(item);
  parts.month = PyDateTime_GET_MONTH(item);
  parts.day = PyDateTime_GET_DAY(item);
  if (PyDateTime_Check(item)) {
    if (PyObject_HasAttrString(item, "tzinfo") &&
        !py::reinterpret_borrow<py::object>(item).attr("tzinfo").is_none()) {
      throw py::value_error("kuv: " + where +
                            ": a document's dates have no time zone (give the local time, "
                            "or UTC, without one)");
    }
    parts.hour = PyDateTime_DATE_GET_HOUR(item);
    parts.minute = PyDateTime_DATE_GET_MINUTE(item);
    parts.second = PyDateTime_DATE_GET_SECOND(item);
    parts.nanosecond = PyDateTime_DATE_GET_MICROSECOND(item) * 1000;
  }
  return DateText(parts);
}

std::optional<std::string> ObjectText(PyObject* item, const py::tuple& missing,
                                      const TextCodec& codec, const FieldKind& field,
                                      const std::string& where, int depth = 0) {
  if (IsMissingObject(item, missing)) return std::nullopt;
  if (PyUnicode_Check(item) || PyBytes_Check(item)) {
    std::string bytes;
    if (!codec.Encode(item, &bytes)) {
      py::error_already_set error;
      throw py::value_error("kuv: " + where + ": " + error.what());
    }
    return bytes;
  }
  if (PyBool_Check(item)) {
    CheckSort(ValueSort::kBoolean, field, where);
    return std::string(item == Py_True ? "true" : "false");
  }
  if (PyLong_Check(item)) {
    CheckSort(ValueSort::kInteger, field, where);
    return py::str(item).cast<std::string>();
  }
  if (PyFloat_Check(item)) return FloatText(PyFloat_AS_DOUBLE(item), field, where);
  if (PyDate_Check(item)) return DateTimeText(item, field, where);
  if (depth == 0 && PyObject_HasAttrString(item, "dtype") && PyObject_HasAttrString(item, "item")) {
    // A numpy scalar: as the Python value it stands for.
    const py::object plain = py::reinterpret_borrow<py::object>(item).attr("item")();
    return ObjectText(plain.ptr(), missing, codec, field, where, 1);
  }
  throw py::value_error("kuv: " + where + ": a value of type " + Py_TYPE(item)->tp_name +
                        " has no text in a document");
}

void Add(std::optional<std::string> text, OwnedCells& cells) {
  if (text) {
    cells.Add(*text);
  } else {
    cells.AddMissing();
  }
}

template <typename T>
void AddIntegers(const py::array& array, const FieldKind& field, const std::string& table,
                 OwnedCells& cells) {
  const auto typed = py::array_t<T, py::array::forcecast>::ensure(array);
  const auto view = typed.template unchecked<1>();
  for (py::ssize_t i = 0; i < view.shape(0); ++i) {
    if (i == 0) CheckSort(ValueSort::kInteger, field, RowWhere(0, field, table));
    cells.Add(IntegerText(view(i)));
  }
}

}  // namespace

std::optional<std::string> EncodeValue(const py::handle& value, const TextCodec& codec,
                                       const FieldKind& field, const std::string& where) {
  if (PyDateTimeAPI == nullptr) PyDateTime_IMPORT;
  if (PyDateTimeAPI == nullptr) throw py::error_already_set();
  return ObjectText(value.ptr(), py::tuple(), codec, field, where);
}

OwnedCells EncodeColumn(const py::handle& values, const py::tuple& missing, const TextCodec& codec,
                        const FieldKind& field, const std::string& table) {
  if (PyDateTimeAPI == nullptr) PyDateTime_IMPORT;
  if (PyDateTimeAPI == nullptr) throw py::error_already_set();
  const py::array array = py::reinterpret_borrow<py::array>(values);
  if (array.ndim() != 1) {
    throw py::value_error("kuv: column '" + field.label + "' is not one-dimensional");
  }
  OwnedCells cells;
  const py::ssize_t size = array.shape(0);
  const char kind = array.dtype().kind();
  if (kind == 'f') {
    const auto doubles = py::array_t<double, py::array::forcecast>::ensure(array);
    const auto view = doubles.unchecked<1>();
    for (py::ssize_t i = 0; i < size; ++i) {
      const double value = view(i);
      if (std::isnan(value)) {
        cells.AddMissing();
      } else {
        cells.Add(FloatText(value, field, RowWhere(static_cast<std::size_t>(i), field, table)));
      }
    }
  } else if (kind == 'i') {
    AddIntegers<std::int64_t>(array, field, table, cells);
  } else if (kind == 'u') {
    AddIntegers<std::uint64_t>(array, field, table, cells);
  } else if (kind == 'b') {
    const auto flags = py::array_t<bool, py::array::forcecast>::ensure(array);
    const auto view = flags.unchecked<1>();
    for (py::ssize_t i = 0; i < size; ++i) {
      if (i == 0) CheckSort(ValueSort::kBoolean, field, RowWhere(0, field, table));
      cells.Add(view(i) ? "true" : "false");
    }
  } else if (kind == 'M' && array.dtype().itemsize() == 8 &&
             py::str(array.dtype()).cast<std::string>() == "datetime64[ns]") {
    for (py::ssize_t i = 0; i < size; ++i) {
      std::int64_t nanoseconds = 0;
      std::memcpy(&nanoseconds, array.data(i), sizeof nanoseconds);
      if (nanoseconds == kNotATime) {
        cells.AddMissing();
        continue;
      }
      CheckSort(ValueSort::kDate, field, RowWhere(static_cast<std::size_t>(i), field, table));
      cells.Add(DateText(PartsOf(nanoseconds)));
    }
  } else if (kind == 'O') {
    for (py::ssize_t i = 0; i < size; ++i) {
      PyObject* item = *static_cast<PyObject* const*>(array.data(i));
      Add(ObjectText(item == nullptr ? Py_None : item, missing, codec, field,
                     RowWhere(static_cast<std::size_t>(i), field, table)),
          cells);
    }
  } else {
    throw py::type_error("kuv: column '" + field.label + "' has the dtype " +
                         py::str(array.dtype()).cast<std::string>() +
                         ", which has no text in a document");
  }
  return cells;
}

}  // namespace kuv::python
