// The one process-wide state of the C interface. It exists from the load
// step to the unload step and owns everything the exports work on: both
// stores, the template path, the returned-string slots, the data file kept
// open, the value list, the object-name list and the cursors. Its members
// are private; each export calls one of the named operations below, which
// keep the cursors consistent with the stores they point into.
//
// Exports reach it through CurrentState(), which is null when the load step
// has not run or failed: the library is then unusable and every export
// returns 0.
#ifndef KUV_FRAME_LIBRARY_STATE_H_
#define KUV_FRAME_LIBRARY_STATE_H_

#include <array>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "core/put_value.h"
#include "frame/object_name_list.h"
#include "frame/slot_buffer.h"
#include "io/error_info.h"
#include "model/business_object.h"
#include "model/object_store.h"
#include "model/value_list.h"
#include "platform/platform.h"

namespace kuv {

// What KuvGetNextObject hands out, in slots 0 to 4.
struct HeaderTexts {
  char* id;
  char* author;
  char* version;
  char* wellId;
  char* date;
};

// What KuvGetNextValue hands out, in slots 0 (table), 1 (field), 2 (value),
// 3 (unit), 4 (type) and 5 (parent table).
struct ValueTexts {
  char* table;
  char* field;
  char* type;
  char* unit;
  char* value;
  char* parentTable;
  int rowIndex;
};

class LibraryState {
 public:
  LibraryState(platform::Platform& platform, std::string templatePath);
  LibraryState(const LibraryState&) = delete;
  LibraryState& operator=(const LibraryState&) = delete;

  platform::Platform& platform() const { return platform_; }
  bool attached() const { return attached_; }
  const std::string& templatePath() const { return templatePath_; }
  const CObjectStore& dataStore() const { return dataStore_; }
  const CObjectStore& templateStore() const { return templateStore_; }

  // ---- Returned-string slots -------------------------------------------
  // Copies text into slot (0 to 6) and returns the slot's buffer, valid
  // until the next copy into the same slot or Detach.
  char* HandOut(int slot, std::string_view text) {
    return slots_[static_cast<std::size_t>(slot)].Assign(text);
  }
  const SlotBuffer& slot(int slot) const { return slots_[static_cast<std::size_t>(slot)]; }

  // ---- Attaching and detaching -----------------------------------------
  // KuvAttach: finds the template (the registered path, else the file
  // dialog), reads it and refuses one older than 3.61. True when this call
  // attached the library; message is what the caller is handed: empty
  // then, otherwise why not.
  bool Attach(std::string& message);
  // KuvDetach: frees the documents, lists and slots and lets the kept data
  // file go. The template path and the cursors stay.
  void Detach();

  // ---- The data document's file ----------------------------------------
  // KuvOpen: reads path into the data store, every cursor into the old one
  // reset first. With keepOpen the file stays held, shared with nobody,
  // until the next open, save or detach (also after a reading error).
  // Errors go to error; true when there was none.
  bool OpenDocument(const std::string& path, bool keepOpen, CErrorInfo& error);
  // KuvSave: lets the kept file go, then replaces path with the data store
  // as a document. Errors go to error; true when there was none. The store
  // and every cursor stay as they are.
  bool SaveDocument(const std::string& path, CErrorInfo& error);

  // ---- Walking the data store ------------------------------------------
  // KuvObjectList: the IDs of the data store, copied afresh.
  ObjectNameList& ListObjectNames();
  bool ObjectExists(std::string_view id) const;
  // KuvGetNextObject: hands out the header of the object after the current
  // one and makes it current. At the end of the store there is none: false,
  // and the walk starts again from the first object. Either way the value
  // walk takes a new snapshot at its next step.
  bool NextObject(HeaderTexts& out);
  // KuvIsParent: whether the current object declares table with this
  // parent; false without a current object or with an empty name.
  bool IsParent(std::string_view table, std::string_view parent) const;
  // KuvGetFieldDef: the definition ("unit<TAB>type") of the first template
  // object with this ID that defines the field, or null.
  const std::string* FindTemplateFieldDef(std::string_view id, std::string_view table,
                                          std::string_view field) const;
  // KuvGetNextValue: hands out the next value of the current object from a
  // snapshot taken at the first step after the walk was reset. After the
  // last value: false, and the walk starts again on the same snapshot.
  bool NextValue(ValueTexts& out);

  // ---- Building business objects ---------------------------------------
  // KuvCreateObject: appends an object stamped with the current time and
  // the template's definitions for its ID, and makes it the put object.
  // False, changing nothing, for a taken ID or a text the document cannot
  // hold.
  bool CreateObject(std::string_view id, std::string_view author, std::string_view version,
                    std::string_view wellId);
  // KuvPutObject: gives the first object with this ID a new header and
  // stamp, empties its tables, merges the template's definitions into its
  // own and makes it the put object. False, changing nothing, when there is
  // none or a text cannot be held.
  bool RewriteObject(std::string_view id, std::string_view author, std::string_view version,
                     std::string_view wellId);
  // KuvDeleteObject: removes the first object with this ID. Every index
  // stays as it is; the put cursor goes with the object's tree.
  bool DeleteObject(std::string_view id);
  // KuvCreateTableDef and KuvCreateFieldDef: add a definition to the put
  // object. False, changing nothing, without a put object or when the
  // definition clashes with one it has.
  bool DefineTable(std::string_view table, std::string_view parent);
  bool DefineField(std::string_view table, std::string_view field, std::string_view unit,
                   std::string_view type);
  // KuvPutValue: adds a value to the put object where its definitions and
  // the put cursor place it.
  bool PutValue(std::string_view table, std::string_view field, std::string_view value);

  // ---- For tests only ---------------------------------------------------
  // Fixtures build documents directly and stand in for an attach without a
  // template; the put cursor shows where the next value goes.
  CObjectStore& TEST_dataStore() { return dataStore_; }
  CObjectStore& TEST_templateStore() { return templateStore_; }
  void TEST_SetAttached(bool attached) { attached_ = attached; }
  PutPosition TEST_putPosition() const { return putPosition_; }

 private:
  // The template file to read: the registered one, or one the user picks.
  bool FindTemplate();
  // The object that definitions and values go to, or null.
  CBusinessObject* PutObject() const;
  // The object last delivered by NextObject, or null.
  const CBusinessObject* CurrentObject() const;
  // Makes the object at index the put object, with values starting at its
  // top level and a fresh snapshot for the next value walk.
  void SelectPutObject(int index);
  void ForgetPutCursor();
  void ResetValueWalk() { valuesStale_ = true; }
  std::string CurrentTimestamp() const;

  platform::Platform& platform_;
  bool attached_ = false;
  // Destroyed in the reverse order: template path, template store, data
  // store.
  CObjectStore dataStore_;
  CObjectStore templateStore_;
  std::string templatePath_;

  std::array<SlotBuffer, 7> slots_;
  // The data file that KuvOpen keeps open, shared with nobody.
  std::unique_ptr<platform::InputFile> dataStream_;

  // The object definitions and values go to: the first one right after the
  // load step, none after KuvOpen until KuvCreateObject or KuvPutObject.
  std::optional<int> putObjectIndex_ = 0;
  // Where KuvPutValue puts the next value: nodes of putOwner_'s tree, which
  // is compared, never followed. All three are cleared together whenever
  // that tree may go.
  PutPosition putPosition_;
  const CBusinessObject* putOwner_ = nullptr;

  // The object KuvGetNextObject delivered last; none before the first.
  std::optional<int> getObjectIndex_;
  // The snapshot of the current object's values, taken anew at the next
  // step when stale, and the record the next step delivers.
  std::unique_ptr<ValueList> values_;
  bool valuesStale_ = true;
  std::size_t nextValue_ = 0;

  ObjectNameList objectNames_;
};

namespace detail {
extern LibraryState* g_state;
}  // namespace detail

// The state, or null when the library is not usable.
inline LibraryState* CurrentState() { return detail::g_state; }

// The load step: builds the state, opens or creates the template's
// registry key and reads the template path from it. Returns false, leaving
// the library unusable, when the key can be neither opened nor created or
// memory runs out; it throws nothing.
bool LoadLibrary(platform::Platform& platform);
// The unload step: detaches and destroys the state.
void UnloadLibrary();

}  // namespace kuv

#endif  // KUV_FRAME_LIBRARY_STATE_H_
