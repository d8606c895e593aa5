// _core.Document, _core.Object (a business object's header, definitions and
// puts) and _core.Template. Texts cross as bytes; the package decodes them.
#include <pybind11/stl.h>

#include "bindings.h"
#include "cell_encoding.h"
#include "text_codec.h"
#include "typed_writes.h"

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

py::object ProblemTuple(const std::optional<ReadBackProblem>& problem) {
  if (!problem) return py::none();
  return py::make_tuple(ToBytes(problem->object), ToBytes(problem->table), problem->row,
                        problem->field ? py::object(ToBytes(*problem->field)) : py::none(),
                        ToBytes(problem->where), ToBytes(problem->why));
}

DocumentRef ParseBuffer(const py::buffer& data) {
  // A bytes object cannot change while it is read; anything else is copied
  // first, as another thread could change it meanwhile.
  if (PyBytes_Check(data.ptr())) {
    const std::string_view bytes(PyBytes_AS_STRING(data.ptr()),
                                 static_cast<std::size_t>(PyBytes_GET_SIZE(data.ptr())));
    py::gil_scoped_release without_gil;
    return NewRef(Document::Parse(bytes));
  }
  const py::buffer_info info = data.request();
  if (info.ndim != 1 || info.itemsize != 1 || info.strides[0] != 1) {
    throw py::type_error("kuv: a document's bytes must be a contiguous buffer of bytes");
  }
  std::string bytes(static_cast<const char*>(info.ptr), static_cast<std::size_t>(info.size));
  py::gil_scoped_release without_gil;
  return NewRef(Document::Parse(bytes));
}

void BindDocumentClass(py::module_& module) {
  py::class_<DocumentRef>(module, "Document")
      .def(py::init([] { return NewRef(Document()); }))
      .def_static(
          "open",
          [](const py::bytes& path) {
            const std::string file = BytesOf(path);
            py::gil_scoped_release without_gil;
            try {
              return NewRef(Document::Open(file));
            } catch (const Error& error) {
              throw FileError(error, file, false);
            }
          },
          py::arg("path"))
      .def_static("parse", &ParseBuffer, py::arg("data"))
      .def("save",
           [](const DocumentRef& self, const py::bytes& path) {
             const std::string file = BytesOf(path);
             DocumentLock lock(*self.holder);
             py::gil_scoped_release without_gil;
             try {
               self.holder->document.Save(file);
             } catch (const Error& error) {
               // A document that would not read back is no fault of the file.
               if (self.holder->document.FindReadBackProblem()) throw;
               throw FileError(error, file, true);
             }
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
      .def("find_read_back_problem",
           [](const DocumentRef& self) {
             DocumentLock lock(*self.holder);
             std::optional<ReadBackProblem> problem;
             {
               py::gil_scoped_release without_gil;
               problem = self.holder->document.FindReadBackProblem();
             }
             return ProblemTuple(problem);
           })
      .def("version",
           [](const DocumentRef& self) {
             DocumentLock lock(*self.holder);
             return ToBytes(self.holder->document.version());
           })
      .def("complete",
           [](const DocumentRef& self) {
             DocumentLock lock(*self.holder);
             return self.holder->document.complete();
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
             return HandleOf(self.holder, self.holder->document.objects()[index]);
           })
      .def("find",
           [](const DocumentRef& self, const py::bytes& id) -> std::optional<ObjectHandle> {
             const std::string wanted = BytesOf(id);
             DocumentLock lock(*self.holder);
             const std::optional<BusinessObject> found = self.holder->document.Find(wanted);
             if (!found) return std::nullopt;
             return HandleOf(self.holder, *found);
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
            py::gil_scoped_release without_gil;
            return HandleOf(self.holder, self.holder->document.CreateObject(
                                             texts[0], texts[1], texts[2], texts[3], definitions));
          },
          py::arg("id"), py::arg("author"), py::arg("version"), py::arg("well_id"),
          py::arg("template") = py::none())
      .def("remove",
           [](const DocumentRef& self, const ObjectHandle& object) {
             if (&object.holder() != self.holder.get()) return false;
             DocumentLock lock(*self.holder);
             self.holder->document.Remove(object.Get());
             return true;
           })
      .def("close",
           [](const DocumentRef& self) {
             Document emptied;
             {
               DocumentLock lock(*self.holder, true);
               if (self.holder->closed) return;
               self.holder->closed = true;
               std::swap(emptied, self.holder->document);
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
              const py::handle& value, const py::object& encoding) {
             const TextCodec codec(encoding);
             const std::string table_name = BytesOf(table);
             const std::string field_name = BytesOf(field);
             DocumentLock lock(self.holder());
             BusinessObject object = self.Get();
             // Typed values go only into fields whose declared type takes them.
             const FieldKind kind = FieldKindOf(object, table_name, field_name, field_name);
             const std::optional<std::string> text = EncodeValue(
                 value, codec, kind,
                 "cannot put a value of field '" + field_name + "' of table '" + table_name + "'");
             if (!text) throw py::type_error("kuv: put takes a value, not None or NaN");
             object.Put(table_name, field_name, *text);
           })
      .def("kind_of",
           [](const ObjectHandle& self, const py::bytes& table, const py::bytes& field) {
             DocumentLock lock(self.holder());
             return NameOf(self.Get().field_kind(BytesOf(table), BytesOf(field)));
           })
      .def("find_read_back_problem",
           [](const ObjectHandle& self) {
             DocumentLock lock(self.holder());
             return ProblemTuple(self.Get().FindReadBackProblem());
           })
      .def("remove_table",
           [](const ObjectHandle& self, std::size_t index) {
             DocumentLock lock(self.holder());
             self.Get().RemoveTable(index);
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
           })
      .def(
          "rewrite",
          [](const ObjectHandle& self, const py::bytes& author, const py::bytes& version,
             const py::bytes& well_id, const std::optional<TemplatePtr>& with) {
            DocumentLock lock(self.holder());
            self.Get().Rewrite(BytesOf(author), BytesOf(version), BytesOf(well_id),
                               TemplateOrNull(with));
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
            try {
              return std::make_shared<Template>(Template::Open(file));
            } catch (const Error& error) {
              throw FileError(error, file, false);
            }
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
