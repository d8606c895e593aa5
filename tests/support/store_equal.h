// Compares two stores object by object, down to every value, without
// recursion, and says where they first differ.
#ifndef KUV_TESTS_SUPPORT_STORE_EQUAL_H_
#define KUV_TESTS_SUPPORT_STORE_EQUAL_H_

#include <string>

#include "model/object_store.h"

namespace kuv::testing {

// Empty when the stores hold the same business objects (headers,
// definitions, tables, rows and values, in order); otherwise a description
// of the first difference. The version texts are not compared.
std::string DescribeStoreDifference(const CObjectStore& expected, const CObjectStore& actual);

}  // namespace kuv::testing

#endif  // KUV_TESTS_SUPPORT_STORE_EQUAL_H_
