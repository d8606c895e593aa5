// Whether a store, once saved, reads back as it is: the tags that the
// writer would write are handed, in the writer's order, to the reader's own
// rules, and every table, row and value that the rules would make is
// compared with the one in the store. Nothing is written and nothing is
// built: the check costs a walk of the store.
#ifndef KUV_IO_READ_BACK_CHECK_H_
#define KUV_IO_READ_BACK_CHECK_H_

#include <cstddef>
#include <optional>
#include <string>

#include "kuv/read_problems.hpp"
#include "model/object_store.h"

namespace kuv::io {

// The first place where a saved document would read back different, and
// why.
using ReadBackProblem = kuv::ReadBackProblem;

// "where: why".
inline std::string Describe(const ReadBackProblem& problem) {
  return problem.where + ": " + problem.why;
}

std::optional<ReadBackProblem> FindReadBackProblem(const CObjectStore& store);
// The same for a document that holds this one object.
std::optional<ReadBackProblem> FindReadBackProblem(const CBusinessObject& object);

}  // namespace kuv::io

#endif  // KUV_IO_READ_BACK_CHECK_H_
