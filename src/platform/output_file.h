// The files a host writes by the rules a document's save follows (the
// tool's exports, say): the bytes exactly as given, stored as a document
// is, so that a link, a device or a read-only file is treated alike by
// both.
#ifndef KUV_PLATFORM_OUTPUT_FILE_H_
#define KUV_PLATFORM_OUTPUT_FILE_H_

#include <memory>
#include <string>

#include "platform/platform.h"

namespace kuv::platform {

// An output that can say why it failed, for the user's message.
class ExplainedOutputFile : public OutputFile {
 public:
  // Why the first Write or Commit that failed did ("No space left on
  // device"); problem kNone while nothing has failed.
  virtual FileFailure WhyFailed() const = 0;
};

// Starts writing path. A missing or regular file (through links: the file
// a link leads to) is replaced as a document is: through a temporary file
// beside it that takes the old file's owner and permission bits and is
// put in place by Commit, the old file untouched until then. The
// temporaries that earlier replacements of the file left behind when
// their process was killed are removed first. A character device (a
// terminal, the null device) or a pipe is opened as it is, never created,
// truncated or replaced, and written as a stream. A read-only file, a
// folder or anything else is refused.
// Null when the output cannot begin, with *whyNot set to the problem and a
// few words for the user's message ("it is read-only", "it is a folder").
std::unique_ptr<ExplainedOutputFile> BeginOutputFile(const std::string& path, FileFailure* whyNot);

}  // namespace kuv::platform

#endif  // KUV_PLATFORM_OUTPUT_FILE_H_
