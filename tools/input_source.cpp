#include "input_source.h"

#include <sys/stat.h>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <system_error>

#include "tool_error.h"

namespace kuv::tool {

namespace {

// A pipe, a device or a socket: what the library refuses to open as a
// document, since it cannot be locked or read twice.
bool IsStream(const std::string& path) {
  struct stat info;
  if (::stat(path.c_str(), &info) != 0) return false;
  return (info.st_mode & S_IFMT) == S_IFIFO || (info.st_mode & S_IFMT) == S_IFCHR
#ifdef S_IFSOCK
         || (info.st_mode & S_IFMT) == S_IFSOCK
#endif
      ;
}

// Opens path for reading, or says why it cannot be read: the system's
// reason, taken as the open fails.
std::unique_ptr<std::ifstream> OpenForReading(const std::string& path) {
  std::error_code ignored;
  if (std::filesystem::is_directory(path, ignored)) {
    throw DataError("cannot read " + path + ": " + std::generic_category().message(EISDIR));
  }
  errno = 0;
  auto in = std::make_unique<std::ifstream>(path, std::ios::binary);
  if (!*in) {
    const int error = errno;
    throw DataError("cannot read " + path +
                    (error != 0 ? ": " + std::generic_category().message(error) : ""));
  }
  return in;
}

std::string ReadAll(std::istream& in, const std::string& name) {
  std::ostringstream bytes;
  bytes << in.rdbuf();
  if (in.bad()) throw DataError("cannot read " + name);
  return bytes.str();
}

}  // namespace

std::string ReadInputBytes(const std::string& path) {
  if (IsStandardStream(path)) {
#ifdef _WIN32
    // The bytes as they are: no CRLF turned into LF, no stop at Ctrl-Z.
    ::_setmode(::_fileno(stdin), _O_BINARY);
#endif
    std::cin.tie(nullptr);
    return ReadAll(std::cin, "standard input");
  }
  return ReadAll(*OpenForReading(path), path);
}

std::istream& InputStream::stream() const { return file ? *file : std::cin; }

InputStream OpenInputStream(const std::string& path) {
  InputStream input;
  if (IsStandardStream(path)) {
#ifdef _WIN32
    ::_setmode(::_fileno(stdin), _O_BINARY);
#endif
    std::cin.tie(nullptr);
    return input;
  }
  input.file = OpenForReading(path);
  struct stat info;
  if (::stat(path.c_str(), &info) == 0 && (info.st_mode & S_IFMT) == S_IFREG) {
    input.size = static_cast<std::uint64_t>(info.st_size);
  }
  return input;
}

Document OpenInputDocument(const std::string& path, std::vector<ReadNote>* notes) {
  if (IsStandardStream(path) || IsStream(path)) return Document::Parse(ReadInputBytes(path), notes);
  return Document::Open(path, notes);
}

}  // namespace kuv::tool
