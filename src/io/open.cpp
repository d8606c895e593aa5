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
    kuv::io::LoadStore(state, state.dataStore, error, path, keepOpen != 0);
    kuv::CopyOutString(state, errorMessage, error.message, 0);
    return error.code == kuv::kNoError ? 1 : 0;
  });
}
