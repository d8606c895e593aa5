// kuv import: builds a document from JSON through the library's editing
// functions, checks that the library built what the JSON describes, and
// saves it.
#include <iostream>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "commands.h"
#include "content_builder.h"
#include "content_reader.h"
#include "json_reader.h"
#include "progress_bar.h"
#include "session.h"
#include "tool_error.h"

namespace kuv::tool {

namespace {

class ObjectImporter {
 public:
  ObjectImporter(const KuvLibrary& kuv, Encoding encoding, ProgressBar& progress,
                 long long& valuesDone)
      : kuv_(kuv), encoding_(encoding), progress_(progress), valuesDone_(valuesDone) {}

  void Import(const ObjectContent& object) {
    object_ = &object;
    const ObjectHeader& header = object.header;
    if (!kuv_.KuvCreateObject(header.id.c_str(), header.author.c_str(), header.version.c_str(),
                              header.wellId.c_str())) {
      throw DataError(Where() + ": the ID is given to more than one object");
    }
    DeclareFields();
    DeclareTables();
    PutValues();
    CheckBuiltContent();
  }

 private:
  std::string Where(const std::string& table = std::string(),
                    const std::string& field = std::string()) const {
    std::string where = "object '" + DecodeForDisplay(object_->header.id, encoding_) + "'";
    if (!table.empty()) where += ", table '" + DecodeForDisplay(table, encoding_) + "'";
    if (!field.empty()) where += ", field '" + DecodeForDisplay(field, encoding_) + "'";
    return where;
  }

  // The new object already holds the template's definitions for its ID; a
  // field the template declares must agree with the JSON, since the
  // library keeps the first declaration.
  void DeclareFields() {
    std::set<std::pair<std::string, std::string>> declared;
    for (const FieldDefinition& field : object_->fields) {
      if (!declared.emplace(field.table, field.field).second) {
        throw DataError(Where(field.table, field.field) + ": the field is declared twice");
      }
      if (kuv_.KuvCreateFieldDef(field.table.c_str(), field.field.c_str(), field.unit.c_str(),
                                 field.type.c_str())) {
        continue;
      }
      char* type = nullptr;
      char* unit = nullptr;
      if (!kuv_.KuvGetFieldDef(object_->header.id.c_str(), field.table.c_str(), field.field.c_str(),
                               &type, &unit)) {
        throw DataError(Where(field.table, field.field) +
                        ": the library refused the field's definition (a table of the object "
                        "bears the same name)");
      }
      if (field.unit != unit || field.type != type) {
        throw DataError(Where(field.table, field.field) + ": the template declares unit '" +
                        DecodeForDisplay(unit, encoding_) + "' and type '" +
                        DecodeForDisplay(type, encoding_) + "', the JSON unit '" +
                        DecodeForDisplay(field.unit, encoding_) + "' and type '" +
                        DecodeForDisplay(field.type, encoding_) + "'");
      }
    }
  }

  // Every table is declared first at the top level, then given its parent,
  // so that the order of the JSON's declarations does not matter.
  void DeclareTables() {
    std::set<std::string> declared;
    for (const TableDefinition& table : object_->tables) {
      if (!declared.insert(table.table).second) {
        throw DataError(Where(table.table) + ": the table is declared twice");
      }
      if (!kuv_.KuvCreateTableDef(table.table.c_str(), "")) {
        throw DataError(Where(table.table) + ": the library refused the table's definition");
      }
    }
    for (const TableDefinition& table : object_->tables) {
      if (table.parent.empty()) continue;
      if (!kuv_.KuvCreateTableDef(table.table.c_str(), table.parent.c_str())) {
        throw DataError(Where(table.table) + ": its parent table '" +
                        DecodeForDisplay(table.parent, encoding_) + "' is not declared");
      }
    }
  }

  // Values go in document order; the library opens tables and rows itself.
  void PutValues() {
    std::vector<const std::string*> open;
    for (const ContentItem& item : object_->content) {
      switch (item.step) {
        case ContentStep::kOpenTable:
          open.push_back(&item.name);
          break;
        case ContentStep::kCloseTable:
          if (!open.empty()) open.pop_back();
          break;
        case ContentStep::kBeginRow:
          break;
        case ContentStep::kValue: {
          if (open.empty()) break;
          const std::string& table = *open.back();
          if (!kuv_.KuvPutValue(table.c_str(), item.name.c_str(), item.text.c_str())) {
            throw DataError(Where(table, item.name) +
                            ": the library found no place for the value (its table or field "
                            "is not declared, or the table's parent table holds no row here)");
          }
          progress_.Update(++valuesDone_);
          break;
        }
      }
    }
  }

  // The library places values by the object's declarations, not by the
  // JSON's rows; what it writes must still be what the JSON describes. Rows
  // are not marked in a document, so tables and values are compared.
  void CheckBuiltContent() {
    ObjectContent built;
    if (!SelectObject(kuv_, object_->header.id, &built.header)) {
      throw DataError(Where() + ": the object was not found after it was built");
    }
    ReadCurrentObject(kuv_, &built);
    const std::vector<const ContentItem*> expected = WithoutRows(object_->content);
    const std::vector<const ContentItem*> actual = WithoutRows(built.content);
    std::vector<const std::string*> open;
    for (std::size_t i = 0; i < expected.size() || i < actual.size(); ++i) {
      if (i < expected.size() && i < actual.size() && Same(*expected[i], *actual[i])) {
        if (expected[i]->step == ContentStep::kOpenTable) open.push_back(&expected[i]->name);
        if (expected[i]->step == ContentStep::kCloseTable && !open.empty()) open.pop_back();
        continue;
      }
      const ContentItem* at = i < expected.size() ? expected[i] : nullptr;
      const std::string table = at != nullptr && at->step == ContentStep::kOpenTable ? at->name
                                : !open.empty()                                      ? *open.back()
                                                : std::string();
      throw DataError(Where(table) +
                      ": the library cannot build the tables as the JSON gives them (a table "
                      "without values, or two tables of one name side by side, cannot be built "
                      "value by value)");
    }
  }

  static std::vector<const ContentItem*> WithoutRows(const std::vector<ContentItem>& content) {
    std::vector<const ContentItem*> items;
    items.reserve(content.size());
    for (const ContentItem& item : content) {
      if (item.step != ContentStep::kBeginRow) items.push_back(&item);
    }
    return items;
  }

  static bool Same(const ContentItem& a, const ContentItem& b) {
    return a.step == b.step && a.name == b.name && a.text == b.text;
  }

  const KuvLibrary& kuv_;
  Encoding encoding_;
  ProgressBar& progress_;
  long long& valuesDone_;
  const ObjectContent* object_ = nullptr;
};

long long CountValues(const std::vector<ObjectContent>& objects) {
  long long count = 0;
  for (const ObjectContent& object : objects) {
    for (const ContentItem& item : object.content) count += item.step == ContentStep::kValue;
  }
  return count;
}

}  // namespace

int RunImport(const ImportOptions& options) {
  // Everything is read and checked before the library is touched, and the
  // document is written only once it is complete.
  const std::vector<ObjectContent> objects = ReadJsonDocument(options.file, options.encoding);
  Session session(std::cerr);
  ProgressBar progress("importing", CountValues(objects));
  long long valuesDone = 0;
  ObjectImporter importer(session.kuv(), options.encoding, progress, valuesDone);
  for (const ObjectContent& object : objects) importer.Import(object);
  progress.Finish(valuesDone);
  session.Save(options.output);
  return kExitSuccess;
}

}  // namespace kuv::tool
