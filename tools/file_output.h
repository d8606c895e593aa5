// Where a command writes its result: standard output, or a file stored by
// the rules a document's save follows (kuv/output_file.hpp). A file
// appears only once it is complete, so that a failed run leaves no partial
// file behind (and an existing file as it was); a link has the file it
// leads to replaced and stays a link; a device or named pipe is written in
// place; a read-only file or a folder is refused.
#ifndef KUV_TOOLS_FILE_OUTPUT_H_
#define KUV_TOOLS_FILE_OUTPUT_H_

#include <memory>
#include <ostream>
#include <string>

#include "interrupt_cleanup.h"
#include "kuv/output_file.hpp"

namespace kuv::tool {

class FileOutput {
 public:
  // An empty path or "-" means standard output. Throws a ToolError when
  // the file cannot be written.
  explicit FileOutput(const std::string& path);
  // Without Commit, a replacement is abandoned and the target kept.
  ~FileOutput();
  FileOutput(const FileOutput&) = delete;
  FileOutput& operator=(const FileOutput&) = delete;

  std::ostream& stream() { return file_ ? *fileStream_ : stdout_; }

  // Flushes and puts the file in place. Throws a ToolError when anything
  // written could not be stored.
  void Commit();

 private:
  class Buffer;

  std::string target_;
  std::unique_ptr<OutputFile> file_;                // null for standard output
  std::unique_ptr<RegisteredTemporary> temporary_;  // removed if we are interrupted
  std::unique_ptr<Buffer> buffer_;
  std::unique_ptr<std::ostream> fileStream_;
  std::ostream& stdout_;
};

}  // namespace kuv::tool

#endif  // KUV_TOOLS_FILE_OUTPUT_H_
