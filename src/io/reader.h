// The document reader: builds the content of a store from a document's
// bytes, one tag at a time, by the format's lenient rules.
#ifndef KUV_IO_READER_H_
#define KUV_IO_READER_H_

#include <cstddef>
#include <string>
#include <vector>

#include "io/error_info.h"
#include "kuv/read_problems.hpp"
#include "model/object_store.h"
#include "platform/platform.h"

namespace kuv::io {

// Something the reader took leniently, without an error: text the format
// has no place for, dropped, or a tag that closes nothing or has nowhere to
// go. Where it stands: the business object begun last, the innermost open
// table and its row count.
using ReadNote = kuv::ReadNote;  // its texts are the document's bytes

// Reads one whole document from input and appends what it finds to store
// (the version text of the root tag included). Errors 2, 3, 4 and 6 are
// recorded in error; what was built before an error stays in the store.
// When notes is given, what the reading took leniently is added to it.
void ReadDocument(CObjectStore& store, CErrorInfo& error, platform::InputFile& input,
                  std::vector<ReadNote>* notes = nullptr);

}  // namespace kuv::io

#endif  // KUV_IO_READER_H_
