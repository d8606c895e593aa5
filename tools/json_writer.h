// Writes documents as JSON, one business object at a time. The shape:
//
//   {"format": "kuv-json", "formatVersion": 2, "objects": [
//     {"id": ..., "author": ..., "version": ..., "wellId": ..., "date": ...,
//      "definitions": {"tables": [{"name": ..., "parent": ...}],
//                      "fields": [{"table": ..., "field": ..., "unit": ..., "type": ...}]},
//      "tables": [{"name": ..., "rows": [
//                   {"values": [{"field": ..., "value": ...}],
//                    "tables": [ child tables of the row, same shape ]}]}]}]}
//
// Arrays keep document order; "parent" is "" for a top-level table. The
// definitions are all of the object's, in the order a saved document lists
// them, so that the JSON holds everything a document does. Version 1 listed
// only the definitions of fields and tables that hold values.
#ifndef KUV_TOOLS_JSON_WRITER_H_
#define KUV_TOOLS_JSON_WRITER_H_

#include <memory>
#include <ostream>
#include <string>

#include "json_emitter.h"
#include "kuv/document.hpp"
#include "kuv/text.hpp"
#include "progress_bar.h"

namespace kuv::tool {

inline constexpr const char* kJsonFormatName = "kuv-json";
inline constexpr int kJsonFormatVersion = 2;

class JsonDocumentWriter {
 public:
  JsonDocumentWriter(std::ostream& out, Encoding encoding);
  ~JsonDocumentWriter();
  JsonDocumentWriter(const JsonDocumentWriter&) = delete;
  JsonDocumentWriter& operator=(const JsonDocumentWriter&) = delete;

  // Writes the object as it walks it. Throws a ToolError naming the
  // object, table and field of a text that is not valid in the encoding
  // (only utf-8 can fail).
  void WriteObject(const BusinessObject& object);

  // Closes the document and flushes it.
  void Finish();

  // Counts each value written on progress (null: none).
  void set_progress(ProgressBar* progress) { progress_ = progress; }

 private:
  std::unique_ptr<JsonEmitter> emitter_;
  Encoding encoding_;
  ProgressBar* progress_ = nullptr;
  long long valuesWritten_ = 0;
};

}  // namespace kuv::tool

#endif  // KUV_TOOLS_JSON_WRITER_H_
