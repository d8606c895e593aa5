// The operating-system services the library needs, behind one seam. The
// POSIX backend lives in posix/; a Win32 backend can sit beside it. Nothing
// outside src/platform includes an operating-system header.
#ifndef KUV_PLATFORM_PLATFORM_H_
#define KUV_PLATFORM_PLATFORM_H_

#include <cstddef>
#include <memory>
#include <optional>
#include <string>

#include "kuv/values.hpp"

namespace kuv::platform {

// The local time, to the minute.
using LocalTime = DateParts;

// An open registry key. Destroying it closes the key.
class RegistryKey {
 public:
  virtual ~RegistryKey() = default;
  // The value's bytes, or nullopt when the value does not exist.
  virtual std::optional<std::string> QueryValue(const char* name) = 0;
  // Stores a string value: the text's bytes and one terminating zero byte.
  virtual bool SetStringValue(const char* name, const std::string& text) = 0;
};

// A file open for reading. Destroying it closes the file and releases its
// sharing lock.
class InputFile {
 public:
  virtual ~InputFile() = default;
  // Reads up to size bytes; returns the count, 0 at the end, -1 on error.
  virtual long long Read(char* buffer, std::size_t size) = 0;
};

// What kept a file from being opened or written, in terms every system
// shares, with the system's reason in a few words for the user's message
// ("No such file or directory", "another program is using it").
enum class FileProblem {
  kNone,              // nothing failed
  kNotFound,          // no such file, or a folder on its path is missing
  kIsFolder,          // a folder where a file was wanted
  kPermissionDenied,  // no access, or a read-only file
  kInUse,             // another program holds it
  kNotAFile,          // a device, pipe or socket where a file was wanted
  kOther,
};
struct FileFailure {
  FileProblem problem = FileProblem::kNone;
  std::string reason;
};

// How an input file is shared with other openers while it is open.
enum class Sharing {
  kShared,     // others may read it too
  kExclusive,  // nobody else may open it
};

// How this platform's text files end a line. Documents are written with
// these line ends; files store every byte exactly as it is written.
enum class LineEnd {
  kLf,    // "\n"
  kCrLf,  // "\r\n"
};
#ifdef _WIN32
inline constexpr LineEnd kTextLineEnd = LineEnd::kCrLf;
#else
inline constexpr LineEnd kTextLineEnd = LineEnd::kLf;
#endif

// The replacement of a target file, written beside it. The target stays
// untouched until Commit succeeds; destroying an uncommitted replacement
// removes what was written. (The tool's outputs, output_file.h, may be
// streams instead.)
class OutputFile {
 public:
  virtual ~OutputFile() = default;
  // Appends the bytes exactly as given.
  virtual bool Write(const char* data, std::size_t size) = 0;
  // Makes the bytes written so far durable ahead of Commit, so that a
  // caller can let the disk work while it finishes something else; what
  // is written after it must not be. Optional: Commit does it anyway.
  virtual bool MakeDurable() { return true; }
  // Makes the written bytes durable and puts them in the target's place.
  virtual bool Commit() = 0;
  // The file being written until Commit, for a host that must remove it
  // when it is killed; empty when the bytes go straight to the target.
  virtual std::string TemporaryPath() const { return {}; }
};

class Platform {
 public:
  virtual ~Platform() = default;

  // The registry key Software\KUV\Template under HKEY_LOCAL_MACHINE:
  // opened when it exists, or created; null when that fails.
  virtual std::unique_ptr<RegistryKey> OpenTemplateKey() = 0;
  virtual std::unique_ptr<RegistryKey> CreateTemplateKey() = 0;

  // The modal file-open dialog for Standard.kvt. nullopt when it was
  // closed without choosing a file.
  virtual std::optional<std::string> AskForTemplateFile() = 0;

  // The file-status query: true when a file or folder of that name exists.
  virtual bool PathExists(const std::string& path) = 0;

  // The wait cursor: shows it and returns a token for the cursor that was
  // showing, which RestoreCursor shows again.
  virtual void* ShowWaitCursor() = 0;
  virtual void RestoreCursor(void* previous) = 0;

  virtual LocalTime CurrentLocalTime() = 0;

  // Opens an existing file for reading with the given sharing; null when
  // it cannot be opened (missing, a folder, no access, shared elsewhere),
  // and then *failure, when given, says why.
  virtual std::unique_ptr<InputFile> OpenInput(const std::string& path, Sharing sharing,
                                               FileFailure* failure) = 0;
  std::unique_ptr<InputFile> OpenInput(const std::string& path, Sharing sharing) {
    return OpenInput(path, sharing, nullptr);
  }

  // Starts replacing path (created when missing); null when the target
  // cannot be written (missing folder, no permission, held by another
  // opener).
  virtual std::unique_ptr<OutputFile> BeginReplace(const std::string& path) = 0;
};

// The backend of this build, living for the whole process.
Platform& DefaultPlatform();

// The shared library's load and unload notifications, which the platform
// receives from the system and hands on; the library above the platform
// defines what they do. False from LibraryLoaded refuses the load where
// the system lets a library refuse it.
bool LibraryLoaded();
void LibraryUnloading();

}  // namespace kuv::platform

#endif  // KUV_PLATFORM_PLATFORM_H_
