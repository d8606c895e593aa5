// The platform's account of a file the system refused, as the document
// API hands it out.
#ifndef KUV_DOCUMENT_FILE_FAILURE_H_
#define KUV_DOCUMENT_FILE_FAILURE_H_

#include <string>

#include "kuv/document.hpp"
#include "platform/platform.h"

namespace kuv::document {

inline FileProblem PublicProblem(platform::FileProblem problem) {
  switch (problem) {
    case platform::FileProblem::kNone:
      return FileProblem::kNone;
    case platform::FileProblem::kNotFound:
      return FileProblem::kNotFound;
    case platform::FileProblem::kIsFolder:
      return FileProblem::kIsFolder;
    case platform::FileProblem::kPermissionDenied:
      return FileProblem::kPermissionDenied;
    case platform::FileProblem::kInUse:
      return FileProblem::kInUse;
    case platform::FileProblem::kNotAFile:
      return FileProblem::kNotAFile;
    case platform::FileProblem::kOther:
      break;
  }
  return FileProblem::kOther;
}

// The error of code with the C interface's message for it and detail, and
// the system's reason for failure.
Error FileError(ErrorCode code, const std::string& detail, const platform::FileFailure& failure);

}  // namespace kuv::document

#endif  // KUV_DOCUMENT_FILE_FAILURE_H_
