// Where a batch of exports writes: one file per input, in one folder.
#ifndef KUV_TOOLS_BATCH_OUTPUTS_H_
#define KUV_TOOLS_BATCH_OUTPUTS_H_

#include <string>
#include <vector>

namespace kuv::tool {

// The output of each input: the input's file name with its extension
// replaced by extension (".json"), in folder, which is created when it is
// missing (its parent must exist). Throws a usage ToolError when folder is
// empty, "-" or something other than a folder, or when two inputs would
// be written to one output; a data ToolError when the folder cannot be
// made.
std::vector<std::string> BatchOutputPaths(const std::vector<std::string>& inputs,
                                          const std::string& folder, const std::string& extension);

}  // namespace kuv::tool

#endif  // KUV_TOOLS_BATCH_OUTPUTS_H_
