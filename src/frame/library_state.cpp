// The state's life: the load and unload steps, detaching, and the cursors
// that the operations share.
#include "frame/library_state.h"

#include <utility>

#include "core/template_check.h"
#include "core/timestamp.h"

namespace kuv {

namespace detail {
LibraryState* g_state = nullptr;
}  // namespace detail
using detail::g_state;

LibraryState::LibraryState(platform::Platform& platform, std::string templatePath)
    : platform_(platform), templatePath_(std::move(templatePath)) {}

bool LoadLibrary(platform::Platform& platform) {
  UnloadLibrary();
  // Called from the platform's load notification, where no exception may
  // go: running out of memory refuses the load like any other failure.
  try {
    std::unique_ptr<platform::RegistryKey> key = platform.OpenTemplateKey();
    if (!key) key = platform.CreateTemplateKey();
    if (!key) return false;
    std::string path;
    if (std::optional<std::string> value = key->QueryValue(core::kTemplateValueName)) {
      path = value->substr(0, value->find('\0'));
    }
    key.reset();
    g_state = new LibraryState(platform, std::move(path));
    return true;
  } catch (...) {
    return false;
  }
}

void UnloadLibrary() {
  if (g_state == nullptr) return;
  g_state->Detach();
  delete g_state;
  g_state = nullptr;
}

void LibraryState::Detach() {
  values_.reset();
  ResetValueWalk();
  ForgetPutCursor();
  dataStore_.Clear();
  templateStore_.Clear();
  dataStream_.reset();
  for (SlotBuffer& slot : slots_) slot.Free();
  objectNames_.Free();
  attached_ = false;
}

CBusinessObject* LibraryState::PutObject() const {
  return putObjectIndex_ ? dataStore_.GetAt(*putObjectIndex_) : nullptr;
}

const CBusinessObject* LibraryState::CurrentObject() const {
  // The index may lie past the last object after deletions: then there is
  // no current object.
  return getObjectIndex_ ? dataStore_.GetAt(*getObjectIndex_) : nullptr;
}

void LibraryState::SelectPutObject(int index) {
  putObjectIndex_ = index;
  ResetValueWalk();
  ForgetPutCursor();
}

void LibraryState::ForgetPutCursor() {
  putPosition_ = PutPosition{};
  putOwner_ = nullptr;
}

std::string LibraryState::CurrentTimestamp() const {
  const platform::LocalTime now = platform_.CurrentLocalTime();
  return core::FormatTimestamp(now.year, now.month, now.day, now.hour, now.minute);
}

}  // namespace kuv
