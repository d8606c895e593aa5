// Objects of JSON format version 1, built value by value on their
// declarations, as the C interface builds them.
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "content_compare.h"
#include "object_import.h"
#include "tool_error.h"

namespace kuv::tool {

namespace {

class PlacedImporter {
 public:
  PlacedImporter(const Template& definitions, const ObjectContent& object, Encoding encoding)
      : template_(definitions), json_(object), encoding_(encoding) {}

  void Import(Document& document) {
    const ObjectHeader& header = json_.header;
    BusinessObject object =
        document.CreateObject(header.id, header.author, header.version, header.wellId, &template_);
    DeclareFields(object);
    DeclareTables(object);
    PutValues(object);
    CheckBuiltContent(object);
  }

 private:
  std::string Here(std::string_view table = {}, std::string_view field = {}) const {
    return Where(json_.header.id, encoding_, table, field);
  }
  std::string Shown(std::string_view text) const { return DecodeForDisplay(text, encoding_); }

  // The new object already holds the template's definitions for its ID; a
  // field the template declares must agree with the JSON, since the first
  // declaration stays.
  void DeclareFields(BusinessObject& object) const {
    std::set<std::pair<std::string, std::string>> declared;
    for (const FieldDefinitionText& field : json_.fields) {
      if (!declared.emplace(field.table, field.field).second) {
        throw DataError(Here(field.table, field.field) + ": the field is declared twice");
      }
      std::optional<Refusal> refused;
      try {
        object.DefineField(field.table, field.field, field.unit, field.type);
        continue;
      } catch (const Refusal& refusal) {
        refused = refusal;
      }
      const std::optional<FieldDefinition> declaration =
          template_.field_definition(json_.header.id, field.table, field.field);
      if (!declaration) throw DataError(Here(field.table, field.field) + ": " + refused->why());
      if (field.unit != declaration->unit || field.type != declaration->type) {
        throw DataError(Here(field.table, field.field) + ": the template declares unit '" +
                        Shown(declaration->unit) + "' and type '" + Shown(declaration->type) +
                        "', the JSON unit '" + Shown(field.unit) + "' and type '" +
                        Shown(field.type) + "'");
      }
    }
  }

  // Every table is declared first at the top level, then given its parent,
  // so that the order of the JSON's declarations does not matter.
  void DeclareTables(BusinessObject& object) const {
    std::set<std::string> declared;
    for (const TableDefinitionText& table : json_.tables) {
      if (!declared.insert(table.table).second) {
        throw DataError(Here(table.table) + ": the table is declared twice");
      }
      try {
        object.DefineTable(table.table, "");
      } catch (const Refusal& refused) {
        throw DataError(Here(table.table) + ": " + refused.why());
      }
    }
    for (const TableDefinitionText& table : json_.tables) {
      if (table.parent.empty()) continue;
      try {
        object.DefineTable(table.table, table.parent);
      } catch (const Refusal& refused) {
        throw DataError(Here(table.table) + ": " + refused.why() + " ('" + Shown(table.parent) +
                        "')");
      }
    }
  }

  // Values go in document order; the object opens tables and rows itself.
  void PutValues(BusinessObject& object) const {
    std::vector<const std::string*> open;
    for (const ContentItem& item : json_.content) {
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
          try {
            object.Put(table, item.name, item.text);
          } catch (const Refusal& refused) {
            throw DataError(Here(table, item.name) + ": " + refused.why());
          }
          break;
        }
      }
    }
  }

  // Values are placed by the object's declarations, not by the JSON's
  // rows; what was built must still be what the JSON describes. Rows are
  // not marked in a document, so tables and values are compared.
  void CheckBuiltContent(const BusinessObject& object) const {
    ContentWalk built(object);
    const std::optional<std::string> table =
        FirstDifference(StepsOf(json_.content), StepsOf(built), Rows::kIgnored);
    if (!table) return;
    throw DataError(Here(*table) +
                    ": the library cannot build the tables as the JSON gives them (a table "
                    "without values, or two tables of one name side by side, cannot be built "
                    "value by value)");
  }

  const Template& template_;
  const ObjectContent& json_;
  Encoding encoding_;
};

}  // namespace

void ImportPlaced(Document& document, const Template& definitions, const ObjectContent& object,
                  Encoding encoding) {
  PlacedImporter(definitions, object, encoding).Import(document);
}

}  // namespace kuv::tool
