#include "io/load.h"

#include "io/reader.h"

namespace kuv::io {

namespace {

// Closes the file at the end of the load unless it is to stay open, also
// when reading throws.
class OpenFileRelease {
 public:
  OpenFileRelease(LibraryState& state, bool keepOpen) : state_(state), keepOpen_(keepOpen) {}
  ~OpenFileRelease() {
    if (!keepOpen_) state_.dataStream.reset();
  }
  OpenFileRelease(const OpenFileRelease&) = delete;
  OpenFileRelease& operator=(const OpenFileRelease&) = delete;

 private:
  LibraryState& state_;
  bool keepOpen_;
};

}  // namespace

bool LoadStore(LibraryState& state, CObjectStore& store, CErrorInfo& error, const std::string& path,
               bool keepOpen) {
  if (&store == &state.dataStore) {
    state.ClearDataStore();
  } else {
    store.Clear();
  }
  // A file kept open by an earlier load is let go first, so that the same
  // file can be opened again, exclusively or not.
  state.dataStream.reset();
  state.dataStream = state.platform.OpenInput(
      path, keepOpen ? platform::Sharing::kExclusive : platform::Sharing::kShared);
  if (!state.dataStream) {
    error.SetError(kErrorOpenInput, path.c_str());
    return false;
  }
  OpenFileRelease release(state, keepOpen);
  // A kept file stays open after a reading error too.
  ReadDocument(store, error, *state.dataStream);
  return error.code == kNoError;
}

}  // namespace kuv::io
