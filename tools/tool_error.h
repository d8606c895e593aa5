// Failures of the tool, each with the exit status it ends the run with.
#ifndef KUV_TOOLS_TOOL_ERROR_H_
#define KUV_TOOLS_TOOL_ERROR_H_

#include <stdexcept>
#include <string>

namespace kuv::tool {

enum ExitStatus : int {
  kExitSuccess = 0,
  kExitDataError = 1,   // a document, a data file or the library refused
  kExitUsageError = 2,  // the command line asks for something impossible
};

class ToolError : public std::runtime_error {
 public:
  ToolError(ExitStatus status, const std::string& message)
      : std::runtime_error(message), status_(status) {}
  ExitStatus status() const { return status_; }

 private:
  ExitStatus status_;
};

inline ToolError DataError(const std::string& message) {
  return ToolError(kExitDataError, message);
}
inline ToolError UsageError(const std::string& message) {
  return ToolError(kExitUsageError, message);
}

}  // namespace kuv::tool

#endif  // KUV_TOOLS_TOOL_ERROR_H_
