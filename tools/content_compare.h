// Compares two runs of content steps, such as a document's tables and the
// tables JSON describes, step by step.
#ifndef KUV_TOOLS_CONTENT_COMPARE_H_
#define KUV_TOOLS_CONTENT_COMPARE_H_

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "content_walk.h"
#include "object_content.h"

namespace kuv::tool {

// Hands out the next step; false after the last one.
using NextStep = std::function<bool(ContentEvent*)>;

// The steps of content held in memory.
NextStep StepsOf(const std::vector<ContentItem>& content);
// The steps of a walk, which must outlive the function.
NextStep StepsOf(ContentWalk& walk);

enum class Rows { kCompared, kIgnored };

// Where the two runs first differ: the table that expected opens there, or
// else the innermost table open in expected ("" at the top level).
// nullopt when they are the same.
std::optional<std::string> FirstDifference(const NextStep& expected, const NextStep& actual,
                                           Rows rows);

}  // namespace kuv::tool

#endif  // KUV_TOOLS_CONTENT_COMPARE_H_
