#include "session.h"

#include "template_registration.h"
#include "tool_error.h"

namespace kuv::tool {

namespace {

const KuvLibrary& PrepareAndLoad(std::ostream& notices) {
  // The library reads the registered path when it is loaded, so the
  // registration comes first.
  EnsureTemplateRegistered(notices);
  return LoadKuvLibrary();
}

std::string Message(const char* text) { return text != nullptr ? text : ""; }

}  // namespace

Session::Session(std::ostream& notices) : kuv_(PrepareAndLoad(notices)) {
  char* message = nullptr;
  if (!kuv_.KuvAttach(&message)) {
    const std::string reason = Message(message);
    kuv_.KuvDetach();
    throw DataError("cannot read the template: " +
                    (reason.empty() ? std::string("the library refused it") : reason));
  }
}

Session::~Session() { kuv_.KuvDetach(); }

std::string Session::TryOpen(const std::string& path) {
  char* message = nullptr;
  if (kuv_.KuvOpen(path.c_str(), &message, 0)) return std::string();
  std::string reason = Message(message);
  return reason.empty() ? "the library could not read " + path : reason;
}

void Session::Open(const std::string& path) {
  const std::string reason = TryOpen(path);
  if (!reason.empty()) throw DataError(reason);
}

void Session::Save(const std::string& path) {
  char* message = nullptr;
  if (kuv_.KuvSave(path.c_str(), &message)) return;
  const std::string reason = Message(message);
  throw DataError(reason.empty() ? "the library could not write " + path : reason);
}

int Session::ObjectCount() {
  char** names = nullptr;
  int count = 0;
  if (!kuv_.KuvObjectList(&names, &count)) return 0;
  return count;
}

}  // namespace kuv::tool
