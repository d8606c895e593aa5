// File services of the Win32 backend: reading with a share mode, and the
// replacement of a file through a temporary written beside it. Both take
// the bytes exactly as they are stored.
#ifndef KUV_PLATFORM_WIN32_WIN32_FILES_H_
#define KUV_PLATFORM_WIN32_WIN32_FILES_H_

#include <windows.h>

#include <memory>
#include <string>

#include "platform/platform.h"

namespace kuv::platform::win32 {

// Opens an existing disk file for reading: shared for reading only, or
// shared with nobody (share mode 0). Null for a folder, a device or pipe,
// a missing file, or one that another opener holds in a conflicting way,
// with *failure (when given) saying which.
std::unique_ptr<InputFile> OpenInputFile(const std::string& path, Sharing sharing,
                                         FileFailure* failure = nullptr);

// The system's message for an error code in a few words, without the
// closing period ("Access is denied").
std::string SystemMessage(DWORD error);

// What an error code from opening or writing a file tells: the problem and
// the system's reason. A sharing or lock violation gets words a user can
// act on; the rest are the system's own.
FileFailure FailureOf(DWORD error);

// Removes the temporaries that replacements of path began in processes that
// are gone (killed, or stopped with the machine) and so never removed:
// those beside path whose name holds the ID of a process that no longer
// runs. One that a live replacement still writes is held open with share
// mode 0 and cannot be removed. Anything else beside it is left alone.
void RemoveAbandonedTemporaries(const std::string& path);

// Replaces path with a temporary file created beside it (CREATE_NEW),
// flushed, then moved over it. An existing target must be a writable disk
// file that nobody else has open; it stays held with share mode 0 until
// the move. Null when the replacement cannot begin.
std::unique_ptr<OutputFile> BeginFileReplacement(const std::string& path);

// Names the temporary file of each creation attempt. Tests choose the
// names to plant files in the way.
using TemporaryNamer = std::string (*)(const std::string& target, unsigned attempt);
std::unique_ptr<OutputFile> BeginFileReplacement(const std::string& path,
                                                 TemporaryNamer temporaryName);

}  // namespace kuv::platform::win32

#endif  // KUV_PLATFORM_WIN32_WIN32_FILES_H_
