// KuvSave: writes the data store to a file. The file is replaced only once
// the new document is completely written and on disk; any failure leaves
// it exactly as it was.
#include "frame/busy_cursor.h"
#include "frame/export_guard.h"
#include "io/load.h"
#include "kuv/kuv.h"

int KuvSave(const char* path, char** errorMessage) {
  if (path == nullptr || errorMessage == nullptr) return 0;
  return kuv::WithState([&](kuv::LibraryState& state) -> int {
    kuv::CBusyCursor busy(state.platform);
    if (!state.attached) return 0;
    kuv::CErrorInfo error;
    {
      kuv::CurrentErrorScope scope(state, error);
      // Release the file that KuvOpen kept, so the same path can be saved.
      state.dataStream.reset();
      if (!kuv::io::SaveStore(state.platform, state.dataStore, path)) {
        error.SetError(kuv::kErrorOpenForSave, path);
      }
    }
    kuv::CopyOutString(state, errorMessage, error.message, 0);
    return error.code == kuv::kNoError ? 1 : 0;
  });
}
