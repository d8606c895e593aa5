// A document rebuilt exactly is read again from its own bytes before it is
// saved, so that an import never writes a file that reads back as
// something else.
#include <optional>
#include <string>
#include <vector>

#include "content_compare.h"
#include "object_import.h"
#include "tool_error.h"

namespace kuv::tool {

namespace {

bool SameDefinitions(const BusinessObject& a, const BusinessObject& b) {
  const std::vector<TableDefinition> tablesA = a.table_definitions();
  const std::vector<TableDefinition> tablesB = b.table_definitions();
  const std::vector<FieldDefinition> fieldsA = a.field_definitions();
  const std::vector<FieldDefinition> fieldsB = b.field_definitions();
  if (tablesA.size() != tablesB.size() || fieldsA.size() != fieldsB.size()) return false;
  for (std::size_t i = 0; i < tablesA.size(); ++i) {
    if (tablesA[i].table != tablesB[i].table || tablesA[i].parent != tablesB[i].parent) {
      return false;
    }
  }
  for (std::size_t i = 0; i < fieldsA.size(); ++i) {
    if (fieldsA[i].table != fieldsB[i].table || fieldsA[i].field != fieldsB[i].field ||
        fieldsA[i].unit != fieldsB[i].unit || fieldsA[i].type != fieldsB[i].type) {
      return false;
    }
  }
  return true;
}

bool SameHeader(const BusinessObject& a, const BusinessObject& b) {
  return a.id() == b.id() && a.author() == b.author() && a.version() == b.version() &&
         a.well_id() == b.well_id() && a.date() == b.date();
}

[[noreturn]] void Refuse(const std::string& where) {
  throw DataError(where +
                  ": a document cannot hold the tables as the JSON gives them; they would read "
                  "back changed (rows are not marked: each row must begin with the field that "
                  "begins its table, once, and a child table must begin with a value)");
}

}  // namespace

void CheckReadsBack(const Document& document, Encoding encoding) {
  std::optional<Document> reread;
  try {
    reread = Document::Parse(document.Serialize());
  } catch (const Error& error) {
    throw DataError(std::string("the document built would not read back: ") + error.what());
  }
  const Items<BusinessObject> built = document.objects();
  const Items<BusinessObject> read = reread->objects();
  for (std::size_t i = 0; i < built.size(); ++i) {
    const BusinessObject object = built[i];
    if (i >= read.size() || !SameHeader(object, read[i]) || !SameDefinitions(object, read[i])) {
      Refuse(Where(object.id(), encoding));
    }
    ContentWalk expected(object);
    ContentWalk actual(read[i]);
    if (const std::optional<std::string> table =
            FirstDifference(StepsOf(expected), StepsOf(actual), Rows::kCompared)) {
      Refuse(Where(object.id(), encoding, *table));
    }
  }
  if (read.size() != built.size()) Refuse("the document");
}

}  // namespace kuv::tool
