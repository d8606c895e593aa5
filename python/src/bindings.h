// The parts of the extension kuv._core, each registered by its own file.
#ifndef KUV_PYTHON_BINDINGS_H_
#define KUV_PYTHON_BINDINGS_H_

#include <pybind11/pybind11.h>

#include <string>

#include "document_holder.h"

namespace kuv::python {

// The _core.Document of Python: the holder its objects share.
struct DocumentRef {
  HolderPtr holder;
};

// A kuv::Error about a file, with the file's path, so that Python can
// tell which system error it was (kuv._errors.error_for).
class FileError : public Error {
 public:
  FileError(const Error& error, std::string path, bool writing)
      : Error(error), path_(std::move(path)), writing_(writing) {}
  const std::string& path() const { return path_; }
  bool writing() const { return writing_; }

 private:
  std::string path_;
  bool writing_;
};

void BindErrors(pybind11::module_& module);
void BindDocument(pybind11::module_& module);
void BindTree(pybind11::module_& module);
void BindFrames(pybind11::module_& module);
void BindValues(pybind11::module_& module);
void BindDiff(pybind11::module_& module);
void BindSqlite(pybind11::module_& module);

// Handles of tables of an object, whose lock the caller holds.
pybind11::list TableHandles(const ObjectHandle& object, const Items<Table>& tables);

// Bytes of a Python bytes object, copied.
inline std::string BytesOf(const pybind11::bytes& bytes) { return std::string(bytes); }
inline pybind11::bytes ToBytes(std::string_view text) {
  return pybind11::bytes(text.data(), text.size());
}

}  // namespace kuv::python

#endif  // KUV_PYTHON_BINDINGS_H_
