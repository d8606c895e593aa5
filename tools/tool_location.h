// Where the template the tool ships with lies, found relative to the
// running executable, in the build tree or in an installed prefix.
#ifndef KUV_TOOLS_TOOL_LOCATION_H_
#define KUV_TOOLS_TOOL_LOCATION_H_

#include <string>

namespace kuv::tool {

// The template that ships with the tool: examples/Standard.kvt of the
// source tree when run from the build tree, share/kuv/Standard.kvt of the
// prefix once installed.
std::string ShippedTemplatePath();

}  // namespace kuv::tool

#endif  // KUV_TOOLS_TOOL_LOCATION_H_
