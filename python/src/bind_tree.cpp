// _core.Table and _core.Row: the tree of a business object, walked one
// node at a time. Handles refuse to be used once nodes were deleted.
#include <pybind11/stl.h>

#include "bindings.h"

namespace py = pybind11;

namespace kuv::python {

py::list TableHandles(const ObjectHandle& object, const Items<Table>& tables) {
  py::list handles;
  const std::uint64_t deletions = object.holder().deletions;
  for (const Table table : tables) handles.append(TableHandle(object, table, deletions));
  return handles;
}

void BindTree(py::module_& module) {
  py::class_<TableHandle>(module, "Table")
      .def("name",
           [](const TableHandle& self) {
             DocumentLock lock(self.object().holder());
             return ToBytes(self.Get().name());
           })
      .def("rows",
           [](const TableHandle& self) {
             DocumentLock lock(self.object().holder());
             py::list rows;
             const std::uint64_t deletions = self.object().holder().deletions;
             for (const Row row : self.Get().rows()) {
               rows.append(RowHandle(self.object(), row, deletions));
             }
             return rows;
           })
      .def("parent_row",
           [](const TableHandle& self) -> std::optional<RowHandle> {
             DocumentLock lock(self.object().holder());
             const std::optional<Row> parent = self.Get().parent_row();
             if (!parent) return std::nullopt;
             return RowHandle(self.object(), *parent, self.object().holder().deletions);
           })
      .def("same_as", [](const TableHandle& self, const TableHandle& other) {
        DocumentLock lock(self.object().holder());
        return &self.object().holder() == &other.object().holder() && self.Get() == other.Get();
      });

  py::class_<RowHandle>(module, "Row")
      .def("values",
           [](const RowHandle& self) {
             DocumentLock lock(self.object().holder());
             py::list values;
             for (const Value value : self.Get().values()) {
               values.append(py::make_tuple(ToBytes(value.field), ToBytes(value.text)));
             }
             return values;
           })
      .def("child_tables",
           [](const RowHandle& self) {
             DocumentLock lock(self.object().holder());
             return TableHandles(self.object(), self.Get().child_tables());
           })
      .def("table",
           [](const RowHandle& self) {
             DocumentLock lock(self.object().holder());
             return TableHandle(self.object(), self.Get().table(),
                                self.object().holder().deletions);
           })
      .def("same_as", [](const RowHandle& self, const RowHandle& other) {
        DocumentLock lock(self.object().holder());
        return &self.object().holder() == &other.object().holder() && self.Get() == other.Get();
      });
}

}  // namespace kuv::python
