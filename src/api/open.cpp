// KuvOpen: reads a document into the data store for the host.
#include "frame/busy_cursor.h"
#include "frame/export_guard.h"
#include "kuv/kuv.h"

int KuvOpen(const char* path, char** errorMessage, int keepOpen) {
  return kuv::WithState([&](kuv::LibraryState& state) {
    kuv::CBusyCursor busy(state.platform());
    if (!state.attached() || !kuv::AllGiven(path, errorMessage)) return 0;
    kuv::CErrorInfo error;
    const bool read = state.OpenDocument(path, keepOpen != 0, error);
    *errorMessage = state.HandOut(0, error.message);
    return read ? 1 : 0;
  });
}
