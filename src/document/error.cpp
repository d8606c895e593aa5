// The error type, the Date text and the storable-text rules of the
// document API.
#include "core/timestamp.h"
#include "document/file_failure.h"
#include "io/error_info.h"
#include "io/storable_text.h"
#include "kuv/document.hpp"

namespace kuv {

Error::Error(ErrorCode code, const std::string& message)
    : std::runtime_error(message), code_(code) {}

Error::Error(ErrorCode code, const std::string& message, FileProblem problem,
             const std::string& reason)
    : std::runtime_error(reason.empty() ? message : message + " (" + reason + ")"),
      code_(code),
      problem_(problem),
      reason_(reason) {}

Error document::FileError(ErrorCode code, const std::string& detail,
                          const platform::FileFailure& failure) {
  CErrorInfo error;
  error.SetError(static_cast<int>(code), detail.c_str());
  return Error(code, error.message, document::PublicProblem(failure.problem), failure.reason);
}

Refusal::Refusal(const std::string& what, const std::string& why)
    : std::invalid_argument("kuv: " + what + ": " + why), why_(why) {}

StaleHandle::StaleHandle(const std::string& what) : std::logic_error(what) {}

std::string FormatDate(const DateParts& parts) {
  return core::FormatTimestamp(parts.year, parts.month, parts.day, parts.hour, parts.minute);
}

std::optional<DateParts> ParseDate(std::string_view text) {
  core::DateParts parts;
  if (!core::ReadTimestampParts(text, &parts) || !core::DatePartsInRange(parts)) {
    return std::nullopt;
  }
  return DateParts{parts.year, parts.month, parts.day, parts.hour, parts.minute};
}

const char* WhyNotStorableValue(std::string_view text) { return io::WhyNotStorableValue(text); }
const char* WhyNotStorableAttribute(std::string_view text) {
  return io::WhyNotStorableAttribute(text);
}
const char* WhyNotStorableUnit(std::string_view text) { return io::WhyNotStorableUnit(text); }
const char* WhyNotStorableName(std::string_view text) { return io::WhyNotStorableName(text); }

}  // namespace kuv
