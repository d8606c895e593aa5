#include "io/storable_shape.h"

namespace kuv::io {

const char* WhyValueCannotJoinRow(const CRowNode& row, std::string_view field) {
  const CTableNode& table = *row.parentTable();
  if (field == table.name()) {
    return "the field bears the name of its table, and its closing tag would close the table";
  }
  const CRowNode& first = *table.rows().front();
  if (first.values().empty()) return nullptr;  // the first row's first value decides later
  const bool begins = first.FieldOf(first.values().front()) == field;
  if (!row.values().empty()) {
    if (begins) return "the field begins the table's rows, and here it would start a new row";
  } else if (&row != &first && !begins) {
    return "a row's first value must be in the field that begins the table's rows, or the row "
           "would join the one before";
  }
  return nullptr;
}

const char* WhyValueCannotLeaveRow(const CRowNode& row, std::size_t index) {
  if (index != 0 || row.values().size() < 2) return nullptr;
  const CTableNode& table = *row.parentTable();
  // The first row's first value says which field begins every row; any
  // other row must begin with it.
  if (&row != table.rows().front().get() || table.rows().size() > 1) {
    return "the row's first value begins the row, and without it the row would begin with "
           "another field and be read as part of another row";
  }
  return nullptr;
}

}  // namespace kuv::io
