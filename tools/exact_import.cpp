// Objects of JSON format version 2, rebuilt exactly as they were exported.
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "object_import.h"
#include "tool_error.h"

namespace kuv::tool {

namespace {

class ExactImporter {
 public:
  ExactImporter(const ObjectContent& object, Encoding encoding)
      : json_(object), encoding_(encoding) {}

  void Import(Document& document) {
    BusinessObject object = Create(document);
    const ObjectHeader& header = json_.header;
    if (header.date) Checked([&] { object.set_date(*header.date); });
    SetDefinitions(object);
    BuildTables(object);
  }

 private:
  std::string Here(std::string_view table = {}, std::string_view field = {}) const {
    return Where(json_.header.id, encoding_, table, field);
  }

  // The JSON's texts were checked by the rules the document API applies;
  // should the API refuse one all the same, the message says where.
  template <typename Action>
  void Checked(const Action& action, std::string_view table = {},
               std::string_view field = {}) const {
    try {
      action();
    } catch (const Refusal& refused) {
      throw DataError(Here(table, field) + ": " + DecodeForDisplay(refused.why(), encoding_));
    }
  }

  // A document may hold several objects with one ID, and gives them back
  // as they are; a later one is made under a stand-in ID, then renamed.
  BusinessObject Create(Document& document) const {
    const ObjectHeader& header = json_.header;
    std::optional<BusinessObject> object;
    Checked([&] {
      std::string id = header.id;
      for (unsigned long long n = 0; document.Find(id); ++n) id = "kuv import " + std::to_string(n);
      object = document.CreateObject(id, header.author, header.version, header.wellId);
      object->set_id(header.id);
    });
    return *object;
  }

  // Exactly the JSON's definitions, none of the template's; a name given
  // twice would lose one of its definitions, so it is refused.
  void SetDefinitions(BusinessObject& object) const {
    std::set<std::string> tables;
    for (const TableDefinitionText& table : json_.tables) {
      if (!tables.insert(table.table).second) {
        throw DataError(Here(table.table) + ": the table is declared twice");
      }
      Checked([&] { object.SetTableDefinition(table.table, table.parent); }, table.table);
    }
    std::set<std::pair<std::string, std::string>> fields;
    for (const FieldDefinitionText& field : json_.fields) {
      if (!fields.emplace(field.table, field.field).second) {
        throw DataError(Here(field.table, field.field) + ": the field is declared twice");
      }
      Checked([&] { object.SetFieldDefinition(field.table, field.field, field.unit, field.type); },
              field.table, field.field);
    }
  }

  // Tables, rows and values as the JSON nests them, with a stack of the
  // open tables rather than recursion.
  void BuildTables(BusinessObject& object) const {
    struct Open {
      Table table;
      std::optional<Row> row;
    };
    std::vector<Open> open;
    for (const ContentItem& item : json_.content) {
      switch (item.step) {
        case ContentStep::kOpenTable:
          Checked(
              [&] {
                if (open.empty()) {
                  open.push_back({object.AddTable(item.name), std::nullopt});
                } else {
                  Open& parent = open.back();
                  if (!parent.row) parent.row = parent.table.AddRow();
                  open.push_back({parent.row->AddChildTable(item.name), std::nullopt});
                }
              },
              item.name);
          break;
        case ContentStep::kBeginRow:
          if (!open.empty()) open.back().row = open.back().table.AddRow();
          break;
        case ContentStep::kValue:
          if (open.empty()) break;
          Checked(
              [&] {
                Open& here = open.back();
                if (!here.row) here.row = here.table.AddRow();
                here.row->AddValue(item.name, item.text);
              },
              open.back().table.name(), item.name);
          break;
        case ContentStep::kCloseTable:
          if (!open.empty()) open.pop_back();
          break;
      }
    }
  }

  const ObjectContent& json_;
  Encoding encoding_;
};

}  // namespace

void ImportExactly(Document& document, const ObjectContent& object, Encoding encoding) {
  ExactImporter(object, encoding).Import(document);
}

}  // namespace kuv::tool
