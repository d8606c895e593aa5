// File services of the POSIX backend: shared or exclusive reading with
// flock(2), and the replacement of a file through a temporary beside it.
#ifndef KUV_PLATFORM_POSIX_POSIX_IO_H_
#define KUV_PLATFORM_POSIX_POSIX_IO_H_

#include <memory>
#include <string>

#include "platform/platform.h"

namespace kuv::platform::posix {

// Null when the file cannot be opened, with *failure (when given) saying
// why: only a regular file that no one holds exclusively is opened.
std::unique_ptr<InputFile> OpenInputFile(const std::string& path, Sharing sharing,
                                         FileFailure* failure = nullptr);

// What an errno value from opening or writing a file tells: the problem
// and the system's reason, in a few words. ENOTDIR and EWOULDBLOCK get
// words a user can act on; the rest are the system's own.
FileFailure FailureOf(int error);

// Replaces path (through a symbolic link: the file it points to) with a
// temporary file created exclusively beside it, synced, then renamed over
// it. An existing target must be a regular file that we may write, that
// has a write permission bit set (for the superuser too) and that nobody
// holds locked; it keeps its owner and permission bits. Null when the
// replacement cannot begin, with errno saying why (EACCES for a read-only
// target, EWOULDBLOCK for a locked one, ELOOP for a loop of links).
std::unique_ptr<OutputFile> BeginFileReplacement(const std::string& path);

// Removes the temporaries that replacements of path began in processes that
// are gone (killed, or stopped with the machine) and so never removed:
// those beside the file path names (through links, the file they lead to)
// whose name holds the ID of a process that no longer runs and that no one
// holds locked. Anything else beside it is left alone.
void RemoveAbandonedTemporaries(const std::string& path);

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
