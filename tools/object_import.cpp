#include "object_import.h"

#include <optional>
#include <utility>

#include "tool_error.h"

namespace kuv::tool {

std::string Where(std::string_view id, Encoding encoding, std::string_view table,
                  std::string_view field) {
  std::string where = "object '" + DecodeForDisplay(id, encoding) + "'";
  if (!table.empty()) where += ", table '" + DecodeForDisplay(table, encoding) + "'";
  if (!field.empty()) where += ", field '" + DecodeForDisplay(field, encoding) + "'";
  return where;
}

ObjectImporter::ObjectImporter(Encoding encoding, std::function<const Template&()> definitions)
    : encoding_(encoding), definitions_(std::move(definitions)) {}

void ObjectImporter::Import(const ObjectContent& object, int formatVersion,
                            DocumentWriter& writer) {
  Document own;
  if (formatVersion >= 2) {
    ImportExactly(own, object, encoding_);
    // Refused before anything of it is written, by the check every save
    // makes, so that the reason reaches the user in the tool's words.
    if (const std::optional<ReadBackProblem> problem = own.FindReadBackProblem()) {
      throw DataError(DecodeForDisplay(problem->where, encoding_) + ": " +
                      DecodeForDisplay(problem->why, encoding_));
    }
  } else {
    // Objects built as through the C interface, which gives an ID to one
    // object of a document only.
    if (!placedIds_.insert(object.header.id).second) {
      throw DataError(Where(object.header.id, encoding_) +
                      ": the ID is given to more than one object");
    }
    if (placedOn_ == nullptr) placedOn_ = &definitions_();
    ImportPlaced(own, *placedOn_, object, encoding_);
  }
  writer.Write(own.objects()[0]);
}

}  // namespace kuv::tool
