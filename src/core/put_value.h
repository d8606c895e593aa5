// Putting one value into a business object by its table declarations: the
// rules of KuvPutValue, for the C interface and the document API alike.
#ifndef KUV_CORE_PUT_VALUE_H_
#define KUV_CORE_PUT_VALUE_H_

#include <string_view>

#include "model/business_object.h"

namespace kuv {

// Where the next value put into an object goes: a table of the object's
// tree and one of its rows, or none (the next value starts at the top
// level). Whoever keeps one clears it whenever the nodes it names go.
struct PutPosition {
  CTableNode* table = nullptr;
  CRowNode* row = nullptr;
};

}  // namespace kuv

namespace kuv::core {

// Adds value to object at the place that its TableDefs and position give
// it, opening tables and rows as needed, and moves position to the row
// that received it. position must be none or name nodes of object's tree.
// Answers why it refuses, changing nothing, when the table or the field is
// not declared, the value has no place under position, its place could not
// be read back from a saved document, or a text cannot be stored; null
// when the value is in place.
const char* PutValue(CBusinessObject& object, PutPosition& position, std::string_view table,
                     std::string_view field, std::string_view value);

}  // namespace kuv::core

#endif  // KUV_CORE_PUT_VALUE_H_
