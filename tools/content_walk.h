// Walks a business object's tables as a flat run of steps in document
// order: a table opens, its rows follow (each row's values, then the row's
// child tables), and it closes. The walk keeps its own stack, so a tree of
// any depth costs no call stack, and two walks can be compared step by
// step.
#ifndef KUV_TOOLS_CONTENT_WALK_H_
#define KUV_TOOLS_CONTENT_WALK_H_

#include <cstddef>
#include <string_view>
#include <vector>

#include "kuv/document.hpp"
#include "object_content.h"

namespace kuv::tool {

// One step; the views point into the object and live as long as it.
struct ContentEvent {
  ContentStep step = ContentStep::kCloseTable;
  std::string_view name;  // the table of kOpenTable, the field of kValue
  std::string_view text;  // the value text of kValue
};

class ContentWalk {
 public:
  explicit ContentWalk(const BusinessObject& object) : object_(object) {}

  // The next step; false after the last one.
  bool Next(ContentEvent* event);

  // The innermost open table, for messages; empty at the top level.
  std::string_view table() const;

 private:
  struct Frame {
    Table table;
    std::size_t row = 0;    // the row being walked
    bool rowBegun = false;  // its kBeginRow is out
    std::size_t value = 0;  // its next value
    std::size_t child = 0;  // its next child table
  };

  BusinessObject object_;
  std::size_t nextTopTable_ = 0;
  std::vector<Frame> open_;
};

}  // namespace kuv::tool

#endif  // KUV_TOOLS_CONTENT_WALK_H_
