// The document reader: builds the content of a store from a document's
// bytes, one tag at a time, by the format's lenient rules.
#ifndef KUV_IO_READER_H_
#define KUV_IO_READER_H_

#include "io/error_info.h"
#include "model/object_store.h"
#include "platform/platform.h"

namespace kuv::io {

// Reads one whole document from input and appends what it finds to store
// (the version text of the root tag included). Errors 2, 3, 4 and 6 are
// recorded in error; what was built before an error stays in the store.
void ReadDocument(CObjectStore& store, CErrorInfo& error, platform::InputFile& input);

}  // namespace kuv::io

#endif  // KUV_IO_READER_H_
