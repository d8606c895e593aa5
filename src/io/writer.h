// The document writer: the exact layout of a written document.
#ifndef KUV_IO_WRITER_H_
#define KUV_IO_WRITER_H_

#include "model/object_store.h"
#include "platform/platform.h"

namespace kuv::io {

// Writes the whole store as one document through a buffered sink, with LF
// line ends unless told otherwise; a file of this platform takes those of
// platform::kTextLineEnd. Returns false when a write to output failed.
bool WriteDocument(const CObjectStore& store, platform::OutputFile& output,
                   platform::LineEnd lineEnd = platform::LineEnd::kLf);

}  // namespace kuv::io

#endif  // KUV_IO_WRITER_H_
