// The document writer: the exact layout of a written document.
#ifndef KUV_IO_WRITER_H_
#define KUV_IO_WRITER_H_

#include <memory>

#include "io/output_sink.h"
#include "model/object_store.h"
#include "platform/platform.h"

namespace kuv::io {

// Writes the whole store as one document through a buffered sink, with LF
// line ends unless told otherwise; a file of this platform takes those of
// platform::kTextLineEnd. Returns false when a write to output failed.
bool WriteDocument(const CObjectStore& store, platform::OutputFile& output,
                   platform::LineEnd lineEnd = platform::LineEnd::kLf,
                   OutputSink::Writes writes = OutputSink::Writes::kInline);

// Writes a document one business object at a time, for a caller that never
// holds the whole document: the bytes equal WriteDocument's for a store of
// the same objects in the same order.
class ObjectStreamWriter {
 public:
  // Writes the prolog and the opening root.
  ObjectStreamWriter(platform::OutputFile& output,
                     platform::LineEnd lineEnd = platform::LineEnd::kLf);
  ~ObjectStreamWriter();
  ObjectStreamWriter(const ObjectStreamWriter&) = delete;
  ObjectStreamWriter& operator=(const ObjectStreamWriter&) = delete;

  void Write(const CBusinessObject& object);
  // Closes the root and hands everything to output. Returns false when a
  // write to output failed.
  bool Finish();

 private:
  class Writer;
  std::unique_ptr<Writer> writer_;
};

}  // namespace kuv::io

#endif  // KUV_IO_WRITER_H_
