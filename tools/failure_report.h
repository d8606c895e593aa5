// How the failure of one file among several is reported: with the file
// named once, at the start of the line.
#ifndef KUV_TOOLS_FAILURE_REPORT_H_
#define KUV_TOOLS_FAILURE_REPORT_H_

#include <exception>
#include <ostream>
#include <string>

#include "tool_error.h"

namespace kuv::tool {

struct FailureReport {
  ExitStatus status = kExitDataError;
  // "doc.kuv: Error : Token is invalid.", "doc.kuv holds several objects;
  // ...", "doc.kuv: cannot be opened: No such file or directory".
  std::string line;
  std::string message;  // the failure's own words, what() of what was thrown
};

FailureReport ReportFailureOf(const std::string& file, const std::exception_ptr& failure);

// Writes "kuv: " and the report's line to err; the exit status it calls for.
ExitStatus SayFailure(std::ostream& err, const std::string& file,
                      const std::exception_ptr& failure);

}  // namespace kuv::tool

#endif  // KUV_TOOLS_FAILURE_REPORT_H_
