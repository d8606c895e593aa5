// Standard output that can say why it failed: a full disk, a closed pipe.
// The stream itself keeps only that it failed; the reason is the system's
// error at the moment the first write failed, kept here for the message.
#ifndef KUV_TOOLS_STANDARD_OUTPUT_H_
#define KUV_TOOLS_STANDARD_OUTPUT_H_

#include <string>

namespace kuv::tool {

// Makes std::cout keep the reason of its first failure. Call once, first
// thing, before anything is written.
void KeepStandardOutputReason();

// "cannot write to standard output: No space left on device", once
// std::cout has failed.
std::string StandardOutputFailure();

}  // namespace kuv::tool

#endif  // KUV_TOOLS_STANDARD_OUTPUT_H_
