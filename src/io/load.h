// Loading a store from a named file, as KuvOpen does for the data store,
// KuvAttach for the template store and the document API for its own.
#ifndef KUV_IO_LOAD_H_
#define KUV_IO_LOAD_H_

#include <memory>
#include <string>

#include "io/error_info.h"
#include "io/reader.h"
#include "model/object_store.h"
#include "platform/platform.h"

namespace kuv::io {

// Clears store, opens path with the given sharing and reads it. Records
// error 1 with the path and returns null when the file cannot be opened,
// with *whyNotOpened (when given) set to the system's reason;
// otherwise returns the open file, which still holds its sharing: a caller
// that keeps the document's file open keeps it, others let it go. Reading
// errors are recorded in error; what was read before one stays in store.
std::unique_ptr<platform::InputFile> LoadStore(platform::Platform& platform, CObjectStore& store,
                                               CErrorInfo& error, const std::string& path,
                                               platform::Sharing sharing,
                                               std::vector<ReadNote>* notes = nullptr,
                                               platform::FileFailure* whyNotOpened = nullptr);

// Writes store to path, as a text file of this platform, through a
// replacement that takes the target's place only once it is complete and
// durable. False, leaving the target as it was, when the store would not
// read back as it is (*refusal then says where and why), or when the file
// cannot be begun, written or put in place (*refusal is left empty).
bool SaveStore(platform::Platform& platform, const CObjectStore& store, const std::string& path,
               std::string* refusal);

}  // namespace kuv::io

#endif  // KUV_IO_LOAD_H_
