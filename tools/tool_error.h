// Failures of the tool, each with the exit status it ends the run with.
#ifndef KUV_TOOLS_TOOL_ERROR_H_
#define KUV_TOOLS_TOOL_ERROR_H_

#include <stdexcept>
#include <string>
#include <utility>

namespace kuv::tool {

enum ExitStatus : int {
  kExitSuccess = 0,
  kExitDataError = 1,   // a document, a data file or the library refused
  kExitUsageError = 2,  // the command line asks for something impossible
};

class ToolError : public std::runtime_error {
 public:
  ToolError(ExitStatus status, const std::string& message, std::string subject = {})
      : std::runtime_error(message), status_(status), subject_(std::move(subject)) {}
  ExitStatus status() const { return status_; }
  // The file that the message names first, when it names one, so that a
  // report on several files does not name it a second time.
  const std::string& subject() const { return subject_; }

 private:
  ExitStatus status_;
  std::string subject_;
};

inline ToolError DataError(const std::string& message) {
  return ToolError(kExitDataError, message);
}
inline ToolError UsageError(const std::string& message) {
  return ToolError(kExitUsageError, message);
}
// A failure of file, said with the file first: "doc.kuv holds no object".
inline ToolError FileError(ExitStatus status, const std::string& file, const std::string& what) {
  return ToolError(status, file + " " + what, file);
}

}  // namespace kuv::tool

#endif  // KUV_TOOLS_TOOL_ERROR_H_
