// _core.Table and _core.Row: the tree of a business object, walked and
// edited one node at a time. A handle whose node was removed raises
// ValueError (the library's kuv::StaleHandle).
#include <pybind11/stl.h>

#include "bindings.h"
#include "cell_encoding.h"
#include "text_codec.h"
#include "typed_writes.h"

namespace py = pybind11;

namespace kuv::python {

py::list TableHandles(const ObjectHandle& object, const Items<Table>& tables) {
  py::list handles;
  for (const Table table : tables) handles.append(object.Beside(table));
  return handles;
}

namespace {

// The text of a value for a field of the row's table: typed values only
// where the field's declared type takes them. The caller holds the lock.
std::string TextForField(const RowHandle& row, const std::string& field, const py::handle& value,
                         const py::object& encoding, const char* verb) {
  const TextCodec codec(encoding);
  const FieldKind kind = FieldKindOf(row.object(), row.Get().table().name(), field, field);
  const std::optional<std::string> text = EncodeValue(
      value, codec, kind, std::string("cannot ") + verb + " a value of field '" + field + "'");
  if (!text) throw py::type_error("kuv: a value's text cannot be None or NaN");
  return *text;
}

void BindTable(py::module_& module) {
  py::class_<TableHandle>(module, "Table")
      .def("name",
           [](const TableHandle& self) {
             DocumentLock lock(self.holder());
             return ToBytes(self.Get().name());
           })
      .def("size",
           [](const TableHandle& self) {
             DocumentLock lock(self.holder());
             return self.Get().rows().size();
           })
      .def("rows",
           [](const TableHandle& self) {
             DocumentLock lock(self.holder());
             py::list rows;
             for (const Row row : self.Get().rows()) rows.append(self.Beside(row));
             return rows;
           })
      .def("row",
           [](const TableHandle& self, std::size_t index) {
             DocumentLock lock(self.holder());
             return self.Beside(self.Get().rows().at(index));
           })
      .def("parent_row",
           [](const TableHandle& self) -> std::optional<RowHandle> {
             DocumentLock lock(self.holder());
             const std::optional<Row> parent = self.Get().parent_row();
             if (!parent) return std::nullopt;
             return self.Beside(*parent);
           })
      .def("remove_row",
           [](const TableHandle& self, std::size_t index) {
             DocumentLock lock(self.holder());
             self.Get().RemoveRow(index);
           })
      .def("same_as", &TableHandle::SameAs);
}

void BindRow(py::module_& module) {
  py::class_<RowHandle>(module, "Row")
      .def("values",
           [](const RowHandle& self) {
             DocumentLock lock(self.holder());
             py::list values;
             for (const Value value : self.Get().values()) {
               values.append(py::make_tuple(ToBytes(value.field), ToBytes(value.text)));
             }
             return values;
           })
      .def("child_tables",
           [](const RowHandle& self) {
             DocumentLock lock(self.holder());
             return TableHandles(self.Beside(self.object()), self.Get().child_tables());
           })
      .def("table",
           [](const RowHandle& self) {
             DocumentLock lock(self.holder());
             return self.Beside(self.Get().table());
           })
      .def("object",
           [](const RowHandle& self) {
             DocumentLock lock(self.holder());
             return self.Beside(self.object());
           })
      .def("set_value",
           [](const RowHandle& self, std::size_t index, const py::handle& value,
              const py::object& encoding) {
             DocumentLock lock(self.holder());
             Row row = self.Get();
             const std::string field(row.values().at(index).field);
             row.SetValue(index, TextForField(self, field, value, encoding, "set"));
           })
      .def("add_value",
           [](const RowHandle& self, const py::bytes& field_bytes, const py::handle& value,
              const py::object& encoding) {
             const std::string field = BytesOf(field_bytes);
             DocumentLock lock(self.holder());
             self.Get().AddValue(field, TextForField(self, field, value, encoding, "add"));
           })
      .def("remove_value",
           [](const RowHandle& self, std::size_t index) {
             DocumentLock lock(self.holder());
             self.Get().RemoveValue(index);
           })
      .def("remove_child_table",
           [](const RowHandle& self, std::size_t index) {
             DocumentLock lock(self.holder());
             self.Get().RemoveChildTable(index);
           })
      .def("same_as", &RowHandle::SameAs);
}

}  // namespace

void BindTree(py::module_& module) {
  BindTable(module);
  BindRow(module);
}

}  // namespace kuv::python
