// KuvOpen: reads a document into the data store for the host.
#include "frame/busy_cursor.h"
#include "frame/export_guard.h"
#include "io/load.h"
#include "kuv/kuv.h"

int KuvOpen(const char* path, char** errorMessage, int keepOpen) {
  return kuv::WithState([&](kuv::LibraryState& state) -> int {
    kuv::CBusyCursor busy(state.platform);
    if (!state.attached) return 0;
    if (path == nullptr || errorMessage == nullptr) return 0;

    // Every cursor into the old document goes; the value list is rebuilt on
    // its next use.
    state.valueCursor = -2;
    state.getObjectIndex = -1;
    state.putObjectIndex = -1;
    state.ClearPutCursor();

    kuv::CErrorInfo error;
    kuv::CurrentErrorScope scope(state, error);
    // A file kept open by an earlier load is let go first, so that the same
    // file can be opened again, exclusively or not.
    state.dataStream.reset();
    std::unique_ptr<kuv::platform::InputFile> file = kuv::io::LoadStore(
        state.platform, state.dataStore, error, path,
        keepOpen != 0 ? kuv::platform::Sharing::kExclusive : kuv::platform::Sharing::kShared);
    // A kept file stays open after a reading error too.
    if (keepOpen != 0) state.dataStream = std::move(file);
    kuv::CopyOutString(state, errorMessage, error.message, 0);
    return error.code == kuv::kNoError ? 1 : 0;
  });
}
