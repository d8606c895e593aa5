// File services of the POSIX backend: shared or exclusive reading with
// flock(2), and the replacement of a file through a temporary beside it.
#ifndef KUV_PLATFORM_POSIX_POSIX_IO_H_
#define KUV_PLATFORM_POSIX_POSIX_IO_H_

#include <memory>
#include <string>

#include "platform/platform.h"

namespace kuv::platform::posix {

std::unique_ptr<InputFile> OpenInputFile(const std::string& path, Sharing sharing);

// Replaces path (through a symbolic link: the file it points to) with a
// temporary file created exclusively beside it, synced, then renamed over
// it. An existing target must be a regular file that we may write, that
// has a write permission bit set (for the superuser too) and that nobody
// holds locked; it keeps its owner and permission bits. Null when the
// replacement cannot begin, with errno saying why (EACCES for a read-only
// target, EWOULDBLOCK for a locked one, ELOOP for a loop of links).
std::unique_ptr<OutputFile> BeginFileReplacement(const std::string& path);

// Names the temporary file of each creation attempt. Tests choose the
// names to plant files and links in the way.
using TemporaryNamer = std::string (*)(const std::string& target, unsigned attempt);
std::unique_ptr<OutputFile> BeginFileReplacement(const std::string& path,
                                                 TemporaryNamer temporaryName);

// Small helpers for the registry stand-in.
bool ReadWholeFile(const std::string& path, std::string* bytes);
bool WriteFileAtomically(const std::string& path, const std::string& bytes);

}  // namespace kuv::platform::posix

#endif  // KUV_PLATFORM_POSIX_POSIX_IO_H_
