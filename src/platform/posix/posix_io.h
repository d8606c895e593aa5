// File services of the POSIX backend: shared or exclusive reading with
// flock(2), and the replacement of a file through a temporary beside it.
#ifndef KUV_PLATFORM_POSIX_POSIX_IO_H_
#define KUV_PLATFORM_POSIX_POSIX_IO_H_

#include <memory>
#include <string>

#include "platform/platform.h"

namespace kuv::platform::posix {

std::unique_ptr<InputFile> OpenInputFile(const std::string& path, Sharing sharing);
std::unique_ptr<OutputFile> BeginFileReplacement(const std::string& path);

// Small helpers for the registry stand-in.
bool ReadWholeFile(const std::string& path, std::string* bytes);
bool WriteFileAtomically(const std::string& path, const std::string& bytes);

}  // namespace kuv::platform::posix

#endif  // KUV_PLATFORM_POSIX_POSIX_IO_H_
