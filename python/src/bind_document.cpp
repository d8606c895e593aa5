// _core.Document, _core.Object (a business object's header, definitions and
// puts) and _core.Template. Texts cross as bytes; the package decodes them.
#include <pybind11/stl.h>

#include "bindings.h"

namespace py = pybind11;

namespace kuv::python {

namespace {

using TemplatePtr = std::shared_ptr<Template>;

DocumentRef NewRef(Document document) {
  return DocumentRef{std::make_shared<DocumentHolder>(std::move(document))};
}

const Template* TemplateOrNull(const std::optional<TemplatePtr>& with) {
  return with && *with ? with->get() : nullptr;
}

py::tuple FieldTuple(const FieldDefinition& field) {
  return py::make_tuple(ToBytes(field.table), ToBytes(field.field), ToBytes(field.unit),
                        ToBytes(field.type));
}

py::list TableDefinitionList(const BusinessObject& object) {
  py::list definitions;
  for (const TableDefinition& table : object.table_definitions()) {
    definitions.append(py::make_tuple(ToBytes(table.table), ToBytes(table.parent)));
  }
  return definitions;
}

py::list FieldDefinitionList(const BusinessObject& object) {
  py::list definitions;
  for (const FieldDefinition& field : object.field_definitions()) {
    definitions.append(FieldTuple(field));
  }
  return definitions;
}

std::string_view HeaderText(const BusinessObject& object, const std::string& name) {
  if (name == "id") return object.id();
  if (name == "author") return object.author();
  if (name == "version") return object.version();
  if (name == "well_id") return object.well_id();
  if (name == "date") return object.date();
  throw py::key_error(name);
}

void SetHeaderText(BusinessObject object, const std::string& name, std::string_view text) {
  if (name == "id") return object.set_id(text);
  if (name == "author") return object.set_author(text);
  if (name == "version") return object.set_version(text);
  if (name == "well_id") return object.set_well_id(text);
  if (name == "date") return object.set_date(text);
  throw py::key_error(name);
}

void BindDocumentClass(py::module_& module) {
  py::class_<DocumentRef>(module, "Document")
      .def(py::init([] { return NewRef(Document()); }))
      .def_static(
          "open",
          [](const py::bytes& path) {
            const std::string file = BytesOf(path);
            py::gil_scoped_release without_gil;
            return NewRef(Document::Open(file));
          },
          py::arg("path"))
      .def_static(
          "parse",
          [](const py::bytes& data) {
            // The bytes object is immutable and held by the caller.
            const std::string_view bytes(PyBytes_AS_STRING(data.ptr()),
                                         static_cast<std::size_t>(PyBytes_GET_SIZE(data.ptr())));
            py::gil_scoped_release without_gil;
            return NewRef(Document::Parse(bytes));
          },
          py::arg("data"))
      .def("save",
           [](const DocumentRef& self, const py::bytes& path) {
             const std::string file = BytesOf(path);
             DocumentLock lock(*self.holder);
             py::gil_scoped_release without_gil;
             self.holder->document.Save(file);
           })
      .def("serialize",
           [](const DocumentRef& self) {
             DocumentLock lock(*self.holder);
             std::string bytes;
             {
               py::gil_scoped_release without_gil;
               bytes = self.holder->document.Serialize();
             }
             return ToBytes(bytes);
           })
      .def("version",
           [](const DocumentRef& self) {
             DocumentLock lock(*self.holder);
             return ToBytes(self.holder->document.version());
           })
      .def("size",
           [](const DocumentRef& self) {
             DocumentLock lock(*self.holder);
             return self.holder->document.size();
           })
      .def("object",
           [](const DocumentRef& self, std::size_t index) {
             DocumentLock lock(*self.holder);
             if (index >= self.holder->document.size()) throw py::index_error("object index");
             return ObjectHandle(self.holder, index);
           })
      .def("find",
           [](const DocumentRef& self, const py::bytes& id) -> std::optional<ObjectHandle> {
             const std::string wanted = BytesOf(id);
             DocumentLock lock(*self.holder);
             const Items<BusinessObject> objects = self.holder->document.objects();
             for (std::size_t i = 0; i < objects.size(); ++i) {
               if (objects[i].id() == wanted) return ObjectHandle(self.holder, i);
             }
             return std::nullopt;
           })
      .def(
          "create_object",
          [](const DocumentRef& self, const py::bytes& id, const py::bytes& author,
             const py::bytes& version, const py::bytes& well_id,
             const std::optional<TemplatePtr>& with) -> ObjectHandle {
            const std::string texts[] = {BytesOf(id), BytesOf(author), BytesOf(version),
                                         BytesOf(well_id)};
            const Template* definitions = TemplateOrNull(with);
            DocumentLock lock(*self.holder);
            DocumentHolder& holder = *self.holder;
            {
              py::gil_scoped_release without_gil;
              holder.document.CreateObject(texts[0], texts[1], texts[2], texts[3], definitions);
            }
            holder.ObjectAppended();
            return ObjectHandle(self.holder, holder.document.size() - 1);
          },
          py::arg("id"), py::arg("author"), py::arg("version"), py::arg("well_id"),
          py::arg("template") = py::none())
      .def("remove",
           [](const DocumentRef& self, const ObjectHandle& object) {
             if (&object.holder() != self.holder.get()) return false;
             DocumentLock lock(*self.holder);
             const BusinessObject found = object.Get();
             const std::size_t index = object.index();
             self.holder->document.Remove(found);
             self.holder->ObjectRemoved(index);
             return true;
           })
      .def("close",
           [](const DocumentRef& self) {
             Document emptied;
             {
               DocumentLock lock(*self.holder, true);
               if (self.holder->closed) return;
               self.holder->closed = true;
               ++self.holder->deletions;
               std::swap(emptied, self.holder->document);
               self.holder->serials.clear();
             }
             py::gil_scoped_release without_gil;
             Document gone = std::move(emptied);  // freed here, without the GIL
           })
      .def("closed", [](const DocumentRef& self) { return self.holder->closed; });
}

void BindObjectClass(py::module_& module) {
  py::class_<ObjectHandle>(module, "Object")
      .def("same_as", &ObjectHandle::SameAs)
      .def("header",
           [](const ObjectHandle& self, const std::string& name) {
             DocumentLock lock(self.holder());
             return ToBytes(HeaderText(self.Get(), name));
           })
      .def("set_header",
           [](const ObjectHandle& self, const std::string& name, const py::bytes& text) {
             DocumentLock lock(self.holder());
             SetHeaderText(self.Get(), name, BytesOf(text));
           })
      .def("table_definitions",
           [](const ObjectHandle& self) {
             DocumentLock lock(self.holder());
             return TableDefinitionList(self.Get());
           })
      .def("field_definitions",
           [](const ObjectHandle& self) {
             DocumentLock lock(self.holder());
             return FieldDefinitionList(self.Get());
           })
      .def("parent_of",
           [](const ObjectHandle& self, const py::bytes& table) -> std::optional<py::bytes> {
             DocumentLock lock(self.holder());
             const std::optional<std::string_view> parent = self.Get().parent_of(BytesOf(table));
             if (!parent) return std::nullopt;
             return ToBytes(*parent);
           })
      .def("field_definition",
           [](const ObjectHandle& self, const py::bytes& table,
              const py::bytes& field) -> std::optional<py::tuple> {
             DocumentLock lock(self.holder());
             const std::optional<FieldDefinition> found =
                 self.Get().field_definition(BytesOf(table), BytesOf(field));
             if (!found) return std::nullopt;
             return FieldTuple(*found);
           })
      .def("define_table",
           [](const ObjectHandle& self, const py::bytes& table, const py::bytes& parent) {
             DocumentLock lock(self.holder());
             return self.Get().DefineTable(BytesOf(table), BytesOf(parent));
           })
      .def("define_field",
           [](const ObjectHandle& self, const py::bytes& table, const py::bytes& field,
              const py::bytes& unit, const py::bytes& type) {
             DocumentLock lock(self.holder());
             return self.Get().DefineField(BytesOf(table), BytesOf(field), BytesOf(unit),
                                           BytesOf(type));
           })
      .def("remove_table_definition",
           [](const ObjectHandle& self, const py::bytes& table) {
             DocumentLock lock(self.holder());
             return self.Get().RemoveTableDefinition(BytesOf(table));
           })
      .def("remove_field_definition",
           [](const ObjectHandle& self, const py::bytes& table, const py::bytes& field) {
             DocumentLock lock(self.holder());
             return self.Get().RemoveFieldDefinition(BytesOf(table), BytesOf(field));
           })
      .def("put",
           [](const ObjectHandle& self, const py::bytes& table, const py::bytes& field,
              const py::bytes& value) {
             DocumentLock lock(self.holder());
             return self.Get().Put(BytesOf(table), BytesOf(field), BytesOf(value));
           })
      .def("tables",
           [](const ObjectHandle& self) {
             DocumentLock lock(self.holder());
             return TableHandles(self, self.Get().tables());
           })
      .def("reset_put_position",
           [](const ObjectHandle& self) {
             DocumentLock lock(self.holder());
             self.Get().ResetPutPosition();
           })
      .def("clear_tables",
           [](const ObjectHandle& self) {
             DocumentLock lock(self.holder());
             self.Get().ClearTables();
             ++self.holder().deletions;
           })
      .def(
          "rewrite",
          [](const ObjectHandle& self, const py::bytes& author, const py::bytes& version,
             const py::bytes& well_id, const std::optional<TemplatePtr>& with) {
            DocumentLock lock(self.holder());
            self.Get().Rewrite(BytesOf(author), BytesOf(version), BytesOf(well_id),
                               TemplateOrNull(with));
            ++self.holder().deletions;
          },
          py::arg("author"), py::arg("version"), py::arg("well_id"),
          py::arg("template") = py::none());
}

void BindTemplateClass(py::module_& module) {
  py::class_<Template, TemplatePtr>(module, "Template")
      .def_static(
          "open",
          [](const py::bytes& path) {
            const std::string file = BytesOf(path);
            py::gil_scoped_release without_gil;
            return std::make_shared<Template>(Template::Open(file));
          },
          py::arg("path"))
      .def_static("registered_path",
                  []() -> std::optional<py::bytes> {
                    const std::optional<std::string> path = Template::RegisteredPath();
                    if (!path) return std::nullopt;
                    return ToBytes(*path);
                  })
      .def("path", [](const Template& self) { return ToBytes(self.path()); })
      .def("version", [](const Template& self) { return ToBytes(self.version()); })
      .def("object_ids",
           [](const Template& self) {
             py::list ids;
             for (const BusinessObject object : self.document().objects()) {
               ids.append(ToBytes(object.id()));
             }
             return ids;
           })
      .def("definitions",
           [](const Template& self, const py::bytes& id) -> std::optional<py::tuple> {
             const std::optional<BusinessObject> object = self.document().Find(BytesOf(id));
             if (!object) return std::nullopt;
             return py::make_tuple(TableDefinitionList(*object), FieldDefinitionList(*object));
           });
}

}  // namespace

void BindDocument(py::module_& module) {
  BindDocumentClass(module);
  BindObjectClass(module);
  BindTemplateClass(module);
}

}  // namespace kuv::python
