// _core.to_sqlite: documents into an SQLite archive through the library's
// kuv::sqlite, run without the GIL. Failures of single documents come back
// as a list; a database that cannot be used raises sqlite3.DatabaseError.
#include <pybind11/stl.h>

#include <string>
#include <vector>

#include "bindings.h"

#ifdef KUV_PYTHON_SQLITE
#include "kuv/sqlite.hpp"
#endif

namespace py = pybind11;

namespace kuv::python {

namespace {

#ifdef KUV_PYTHON_SQLITE

// One document that could not be stored: its index, what failed ("error"
// for a document that does not read, "refusal", "database", "other"), the
// library's code for an error, and the message.
struct Failure {
  std::size_t index;
  std::string kind;
  int code;
  std::string message;
};

Failure Describe(std::size_t index, const std::exception_ptr& failure) {
  try {
    std::rethrow_exception(failure);
  } catch (const Error& error) {
    return {index, "error", static_cast<int>(error.code()), error.what()};
  } catch (const Refusal& refusal) {
    return {index, "refusal", 0, refusal.what()};
  } catch (const SqliteError& database) {
    return {index, "database", 0, database.what()};
  } catch (const std::exception& other) {
    return {index, "other", 0, other.what()};
  }
}

py::tuple ToSqlite(const std::vector<py::bytes>& pathBytes, const py::bytes& database, int threads,
                   const std::string& encodingName) {
  const std::optional<Encoding> encoding = EncodingNamed(encodingName);
  if (!encoding) {
    throw py::value_error("kuv: to_sqlite reads documents in cp1252, latin1 or utf-8, not '" +
                          encodingName + "'");
  }
  std::vector<std::string> paths;
  for (const py::bytes& path : pathBytes) paths.push_back(BytesOf(path));
  const std::string file = BytesOf(database);
  std::vector<Failure> failures;
  std::size_t stored = 0;
  std::string refused;  // why the run could not start
  bool databaseFailed = false;
  {
    py::gil_scoped_release without_gil;
    SqliteExportOptions options;
    options.jobs = static_cast<unsigned>(std::max(threads, 1));
    options.encoding = *encoding;
    options.report = [&](std::size_t i, const std::exception_ptr& failure) {
      if (failure) failures.push_back(Describe(i, failure));
    };
    try {
      stored = ExportToSqlite(paths, file, options);
    } catch (const SqliteError& error) {
      refused = error.what();
      databaseFailed = true;
    } catch (const std::invalid_argument& error) {
      refused = error.what();
    }
  }
  if (databaseFailed) {
    const py::object type = py::module_::import("sqlite3").attr("DatabaseError");
    PyErr_SetString(type.ptr(), refused.c_str());
    throw py::error_already_set();
  }
  if (!refused.empty()) throw py::value_error("kuv: " + refused);
  py::list failed;
  for (const Failure& failure : failures) {
    // Paths and names in messages are file-system and document bytes.
    PyObject* message = PyUnicode_DecodeFSDefault(failure.message.c_str());
    if (message == nullptr) throw py::error_already_set();
    failed.append(py::make_tuple(failure.index, failure.kind, failure.code,
                                 py::reinterpret_steal<py::str>(message)));
  }
  return py::make_tuple(stored, failed);
}

#endif

}  // namespace

void BindSqlite(py::module_& module) {
#ifdef KUV_PYTHON_SQLITE
  module.def("to_sqlite", &ToSqlite, py::arg("paths"), py::arg("database"), py::arg("threads"),
             py::arg("encoding"));
#else
  (void)module;
#endif
}

}  // namespace kuv::python
