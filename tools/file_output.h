// Where a command writes its result: standard output, or a file that
// appears only once it is complete, so that a failed run leaves no partial
// file behind (and an existing file as it was).
#ifndef KUV_TOOLS_FILE_OUTPUT_H_
#define KUV_TOOLS_FILE_OUTPUT_H_

#include <fstream>
#include <ostream>
#include <string>

namespace kuv::tool {

class FileOutput {
 public:
  // An empty path or "-" means standard output.
  explicit FileOutput(const std::string& path);
  ~FileOutput();
  FileOutput(const FileOutput&) = delete;
  FileOutput& operator=(const FileOutput&) = delete;

  std::ostream& stream() { return toStdout_ ? stdout_ : file_; }

  // Flushes and puts the file in place. Throws a ToolError when anything
  // written could not be stored.
  void Commit();

 private:
  bool toStdout_;
  std::string target_;
  std::string temporary_;
  std::ofstream file_;
  std::ostream& stdout_;
  bool committed_ = false;
};

}  // namespace kuv::tool

#endif  // KUV_TOOLS_FILE_OUTPUT_H_
