// Reading the data document from its file and writing it back.
#include <memory>
#include <string>
#include <utility>

#include "frame/library_state.h"
#include "io/load.h"

namespace kuv {

bool LibraryState::OpenDocument(const std::string& path, bool keepOpen, CErrorInfo& error) {
  // Every cursor into the old document goes; the value walk takes a new
  // snapshot at its next step.
  ResetValueWalk();
  getObjectIndex_.reset();
  putObjectIndex_.reset();
  ForgetPutCursor();
  // A file kept open by an earlier load is let go first, so that the same
  // file can be opened again, exclusively or not.
  dataStream_.reset();
  std::unique_ptr<platform::InputFile> file =
      io::LoadStore(platform_, dataStore_, error, path,
                    keepOpen ? platform::Sharing::kExclusive : platform::Sharing::kShared);
  // A kept file stays open after a reading error too.
  if (keepOpen) dataStream_ = std::move(file);
  return error.code == kNoError;
}

bool LibraryState::SaveDocument(const std::string& path, CErrorInfo& error) {
  // Release the file that KuvOpen kept, so the same path can be saved.
  dataStream_.reset();
  std::string refusal;
  if (!io::SaveStore(platform_, dataStore_, path, &refusal)) {
    // A document that would not read back as it is names where and why.
    const std::string detail = refusal.empty() ? path : path + ": " + refusal;
    error.SetError(kErrorOpenForSave, detail.c_str());
  }
  return error.code == kNoError;
}

}  // namespace kuv
