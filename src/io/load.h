// Loading a store from a named file, as KuvOpen does for the data store
// and KuvAttach for the template store.
#ifndef KUV_IO_LOAD_H_
#define KUV_IO_LOAD_H_

#include <string>

#include "frame/error_info.h"
#include "frame/library_state.h"
#include "model/object_store.h"

namespace kuv::io {

// Clears store, releases a data file kept open by an earlier load, opens
// path (exclusively when keepOpen) and reads it. With keepOpen the file
// stays open in state.dataStream. Records error 1 with the path when the
// file cannot be opened. Returns true when error holds no error afterwards.
// Clearing the data store also clears the put cursor that points into it.
bool LoadStore(LibraryState& state, CObjectStore& store, CErrorInfo& error,
               const std::string& path, bool keepOpen);

}  // namespace kuv::io

#endif  // KUV_IO_LOAD_H_
