#include "failure_report.h"

#include "kuv/document.hpp"

namespace kuv::tool {

FailureReport ReportFailureOf(const std::string& file, const std::exception_ptr& failure) {
  FailureReport report;
  try {
    std::rethrow_exception(failure);
  } catch (const ToolError& error) {
    report.status = error.status();
    report.message = error.what();
    report.line = error.subject() == file ? report.message : file + ": " + report.message;
  } catch (const Error& error) {
    report.message = error.what();
    // The library's message names the file too; the line says why alone.
    if (error.code() == ErrorCode::kOpenInput) {
      report.line = file + ": cannot be opened";
      if (!error.reason().empty()) report.line += ": " + error.reason();
    } else {
      report.line = file + ": " + report.message;
    }
  } catch (const std::exception& error) {
    report.message = error.what();
    report.line = file + ": " + report.message;
  } catch (...) {
    report.message = "the file could not be read";
    report.line = file + ": " + report.message;
  }
  return report;
}

ExitStatus SayFailure(std::ostream& err, const std::string& file,
                      const std::exception_ptr& failure) {
  const FailureReport report = ReportFailureOf(file, failure);
  err << "kuv: " << report.line << "\n";
  return report.status;
}

}  // namespace kuv::tool
