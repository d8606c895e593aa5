// kuv: the files a host writes by the rules a document's save follows.
//
// A host that stores results of its own (an export, a report, a page)
// writes them as Document::Save writes a document, so that both treat a
// file, a link or a device alike:
//   - A missing or regular file appears only once it is complete. The
//     bytes go to a hidden temporary beside it, which Commit makes durable
//     and puts in the file's place at once; until then, and after any
//     failure, the file is as it was.
//   - Through a symbolic link, the file it leads to is replaced and the
//     link stays a link. A replaced file keeps its owner and permission
//     bits.
//   - A read-only file, a folder, and anything but a file or a stream are
//     refused. (Where a host takes a folder to mean "write into it", it
//     names the file inside.)
//   - A character device (a terminal, /dev/null, NUL) or a pipe is written
//     in place as a stream: never created, truncated or replaced.
//   - The temporaries that earlier writers of the same file left behind
//     when their process was killed (or the machine stopped) are removed
//     when the next one begins; those of a process that still runs stay.
//
// Saying no: every failure throws kuv::Error with code kOpenForSave (5),
// the message "Error : Error opening file for save.: PATH (REASON)", and
// the system's reason apart in file_problem() and reason().
#ifndef KUV_OUTPUT_FILE_HPP_
#define KUV_OUTPUT_FILE_HPP_

#include <cstddef>
#include <memory>
#include <string>

#include "kuv/document.hpp"

namespace kuv {

// One output being written. Not copyable; one instance must not be used
// from two threads at once. Once moved from, it throws std::logic_error
// when used, as Write does after Commit.
class KUV_DOCUMENT_API OutputFile {
 public:
  // Begins writing path. Throws Error when it cannot begin: reason() then
  // says why in a few words ("it is read-only", "it is a folder", "its
  // folder does not exist", "Permission denied").
  explicit OutputFile(const std::string& path);
  // Without Commit, a replacement is abandoned: its temporary is removed
  // and the file is as it was.
  ~OutputFile();
  OutputFile(OutputFile&& other) noexcept;
  OutputFile& operator=(OutputFile&& other) noexcept;
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Appends the bytes exactly as given. Throws Error when they cannot be
  // written ("No space left on device"); after that every call throws the
  // same, and the file stays as it was.
  void Write(const char* data, std::size_t size);
  // Makes the bytes durable and puts them in the file's place (a stream
  // is closed). Throws Error when anything written could not be stored;
  // the file is then as it was. Once committed, Commit does nothing.
  void Commit();

  const std::string& path() const;
  // The hidden temporary being written, until Commit, for a host that
  // removes it when it is interrupted (a signal handler cannot reach the
  // destructor); empty for a stream and once committed.
  std::string temporary_path() const;

 private:
  class Impl;
  Impl& live() const;  // throws std::logic_error once moved from
  std::unique_ptr<Impl> impl_;
};

}  // namespace kuv

#endif  // KUV_OUTPUT_FILE_HPP_
