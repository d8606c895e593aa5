// KuvSave: writes the data store to a file. The file is replaced only once
// the new document is completely written and on disk; any failure leaves
// it exactly as it was.
#include "frame/busy_cursor.h"
#include "frame/export_guard.h"
#include "kuv/kuv.h"

int KuvSave(const char* path, char** errorMessage) {
  if (!kuv::AllGiven(path, errorMessage)) return 0;
  return kuv::WithState([&](kuv::LibraryState& state) {
    kuv::CBusyCursor busy(state.platform());
    if (!state.attached()) return 0;
    kuv::CErrorInfo error;
    const bool saved = state.SaveDocument(path, error);
    *errorMessage = state.HandOut(0, error.message);
    return saved ? 1 : 0;
  });
}
