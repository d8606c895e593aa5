// One use of the library by the tool: the template registered, the library
// loaded and attached, detached again at the end.
#ifndef KUV_TOOLS_SESSION_H_
#define KUV_TOOLS_SESSION_H_

#include <ostream>
#include <string>

#include "kuv_library.h"

namespace kuv::tool {

class Session {
 public:
  // Registers the bundled template when none usable is registered (saying
  // so on notices), loads the library and attaches. Throws a ToolError
  // with the library's message when attaching fails.
  explicit Session(std::ostream& notices);
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  const KuvLibrary& kuv() const { return kuv_; }

  // Reads the document at path into the data store; the library's message
  // when that fails, else the empty text.
  std::string TryOpen(const std::string& path);

  // As TryOpen, throwing a ToolError with the message.
  void Open(const std::string& path);

  // Writes the data store to path; throws a ToolError with the library's
  // message when that fails.
  void Save(const std::string& path);

  // The number of business objects in the data store.
  int ObjectCount();

 private:
  const KuvLibrary& kuv_;
};

}  // namespace kuv::tool

#endif  // KUV_TOOLS_SESSION_H_
