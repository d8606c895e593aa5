// Values that could never be read back where they are about to be added.
// Rows are not marked in a saved document: the field that begins a table's
// first row begins each of its rows, and a closing tag closes the table of
// its name before anything else. What can still come right through later
// additions (an empty row, a nested table without rows yet) is not refused
// here but by the save's check.
#ifndef KUV_IO_STORABLE_SHAPE_H_
#define KUV_IO_STORABLE_SHAPE_H_

#include <string_view>

#include "model/table_node.h"

namespace kuv::io {

// Why a value of field cannot be appended to row, or null when it can.
const char* WhyValueCannotJoinRow(const CRowNode& row, std::string_view field);

// Why the value at index cannot leave row, or null when it can.
const char* WhyValueCannotLeaveRow(const CRowNode& row, std::size_t index);

}  // namespace kuv::io

#endif  // KUV_IO_STORABLE_SHAPE_H_
