// Where a batch of exports writes: one file per input, in one folder.
#ifndef KUV_TOOLS_BATCH_OUTPUTS_H_
#define KUV_TOOLS_BATCH_OUTPUTS_H_

#include <string>
#include <vector>

namespace kuv::tool {

// The output of each input: the input's file name with its extension
// replaced by extension (".json"), in folder. Throws a usage ToolError
// when folder is empty, "-" or something other than a folder, or when two
// inputs would be written to one output.
std::vector<std::string> BatchOutputPaths(const std::vector<std::string>& inputs,
                                          const std::string& folder, const std::string& extension);

// The folder a batch writes into, made when it is missing (its parent must
// exist). A folder made here that is still empty when the batch ends (every
// output failed) is removed again, so that a failed run leaves nothing of
// its own behind.
class OutputFolder {
 public:
  // Throws a data ToolError when the folder cannot be made.
  explicit OutputFolder(const std::string& path);
  ~OutputFolder();
  OutputFolder(const OutputFolder&) = delete;
  OutputFolder& operator=(const OutputFolder&) = delete;

 private:
  std::string path_;
  bool made_ = false;
};

}  // namespace kuv::tool

#endif  // KUV_TOOLS_BATCH_OUTPUTS_H_
