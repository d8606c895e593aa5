#include "batch_outputs.h"

#include <filesystem>
#include <map>
#include <system_error>

#include "tool_error.h"

namespace kuv::tool {

namespace fs = std::filesystem;

std::vector<std::string> BatchOutputPaths(const std::vector<std::string>& inputs,
                                          const std::string& folder, const std::string& extension) {
  if (folder.empty() || folder == "-") {
    throw UsageError("several files are written to a folder: name it with -o FOLDER");
  }
  std::error_code ignored;
  const fs::file_status status = fs::status(folder, ignored);
  const bool exists = fs::exists(status);
  if (exists && !fs::is_directory(status)) {
    throw UsageError("several files are written to a folder, and " + folder + " is not one");
  }

  std::vector<std::string> outputs;
  std::map<std::string, const std::string*> writtenBy;
  for (const std::string& input : inputs) {
    fs::path name = fs::path(input).filename();
    if (name.empty() || name == "." || name == "..") {
      throw UsageError(input + " does not name a file");
    }
    const std::string output = (fs::path(folder) / name.replace_extension(extension)).string();
    const auto [earlier, added] = writtenBy.emplace(output, &input);
    if (!added) {
      throw UsageError(*earlier->second + " and " + input + " would both be written to " + output);
    }
    outputs.push_back(output);
  }
  return outputs;
}

OutputFolder::OutputFolder(const std::string& path) : path_(path) {
  std::error_code error;
  made_ = fs::create_directory(path, error);
  if (error) throw DataError("cannot create the folder " + path + ": " + error.message());
}

OutputFolder::~OutputFolder() {
  std::error_code ignored;
  if (made_ && fs::is_empty(path_, ignored) && !ignored) fs::remove(path_, ignored);
}

}  // namespace kuv::tool
