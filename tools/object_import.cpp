#include "object_import.h"

namespace kuv::tool {

std::string Where(std::string_view id, Encoding encoding, std::string_view table,
                  std::string_view field) {
  std::string where = "object '" + DecodeForDisplay(id, encoding) + "'";
  if (!table.empty()) where += ", table '" + DecodeForDisplay(table, encoding) + "'";
  if (!field.empty()) where += ", field '" + DecodeForDisplay(field, encoding) + "'";
  return where;
}

}  // namespace kuv::tool
