// Flattening a business object's tree into the value list.
#ifndef KUV_CORE_VALUE_ENUMERATION_H_
#define KUV_CORE_VALUE_ENUMERATION_H_

#include "model/business_object.h"
#include "model/value_list.h"

namespace kuv::core {

// Replaces list's content with one record per value of object, rows in
// depth-first pre-order, in a single walk without recursion.
void BuildValueList(const CBusinessObject& object, ValueList& list);

}  // namespace kuv::core

#endif  // KUV_CORE_VALUE_ENUMERATION_H_
