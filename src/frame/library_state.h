// The one process-wide state record. It exists from the load step to the
// unload step; every export reads or changes it. Exports reach it through
// CurrentState(), which is null when the load step has not run or failed:
// the library is then unusable and every export returns 0.
#ifndef KUV_FRAME_LIBRARY_STATE_H_
#define KUV_FRAME_LIBRARY_STATE_H_

#include <array>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "io/error_info.h"
#include "frame/slot_buffer.h"
#include "model/object_store.h"
#include "model/value_list.h"
#include "platform/platform.h"

namespace kuv {

// The IDs handed out by KuvObjectList: an array of separately allocated,
// zero-terminated copies, owned until the next KuvObjectList or KuvDetach.
class ObjectNameList {
 public:
  void Assign(const CObjectStore& store);
  void Free();
  char** array() { return pointers_.data(); }
  int count() const { return static_cast<int>(pointers_.size()); }

 private:
  std::vector<std::unique_ptr<char[]>> copies_;
  std::vector<char*> pointers_;
};

struct LibraryState {
  explicit LibraryState(platform::Platform& p) : platform(p) {}

  platform::Platform& platform;
  bool attached = false;
  // Destroyed in the reverse order: template path, template store, data
  // store.
  CObjectStore dataStore;
  CObjectStore templateStore;
  std::string templatePath;

  std::array<SlotBuffer, 7> slots;
  // The data file that KuvOpen keeps open, shared with nobody.
  std::unique_ptr<platform::InputFile> dataStream;

  int putObjectIndex = 0;
  int getObjectIndex = -1;
  std::unique_ptr<ValueList> valueList;
  int valueCursor = 0;

  // Where KuvPutValue puts the next value. putOwner is the business object
  // whose tree putTable and putRow point into; the three are cleared
  // together whenever that tree goes away.
  CTableNode* putTable = nullptr;
  CRowNode* putRow = nullptr;
  const CBusinessObject* putOwner = nullptr;

  ObjectNameList objectNames;
  CErrorInfo* currentError = nullptr;

  void ClearPutCursor() {
    putTable = nullptr;
    putRow = nullptr;
    putOwner = nullptr;
  }
  // Empties the data store, and with it every pointer into it.
  void ClearDataStore() {
    ClearPutCursor();
    dataStore.Clear();
  }
};

namespace detail {
extern LibraryState* g_state;
}  // namespace detail

// The state record, or null when the library is not usable.
inline LibraryState* CurrentState() { return detail::g_state; }

// The load step: builds the state record, opens or creates the template's
// registry key and reads the template path from it. Returns false, leaving
// the library unusable, when the key can be neither opened nor created.
bool LoadLibrary(platform::Platform& platform);
// The unload step: detaches and destroys the state record.
void UnloadLibrary();

// Copies text into a returned-string slot and stores the slot's address.
inline void CopyOutString(LibraryState& state, char** out, std::string_view text, int slot) {
  *out = state.slots[static_cast<std::size_t>(slot)].Assign(text);
}

// Frees the documents, lists and slots (the work of KuvDetach).
void Detach(LibraryState& state);

}  // namespace kuv

#endif  // KUV_FRAME_LIBRARY_STATE_H_
