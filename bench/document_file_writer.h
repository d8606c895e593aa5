// Writes a document in the library's written layout, byte for byte: the
// prolog, the root, and per business object its header, its data
// description (definitions in byte order of their keys, as the library's
// maps iterate) and its tables, one value per line. A document written here
// and saved again after reading comes out identical.
#ifndef KUV_BENCH_DOCUMENT_FILE_WRITER_H_
#define KUV_BENCH_DOCUMENT_FILE_WRITER_H_

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "document_sink.h"

namespace kuv_bench {

struct DocumentCounts {
  std::int64_t objects = 0;
  std::int64_t tables = 0;
  std::int64_t values = 0;
  std::int64_t bytes = 0;
};

class DocumentFileWriter : public DocumentSink {
 public:
  // rootVersion is the version the root tag carries: "2.0" in data
  // documents, at least "3.61" in a template.
  DocumentFileWriter(const std::string& path, std::string_view rootVersion);
  ~DocumentFileWriter() override;
  DocumentFileWriter(const DocumentFileWriter&) = delete;
  DocumentFileWriter& operator=(const DocumentFileWriter&) = delete;

  bool opened() const { return file_ != nullptr; }
  // Writes the closing root tag and closes the file; false when any write
  // failed.
  bool Finish();
  const DocumentCounts& counts() const { return counts_; }
  // Bytes produced so far, written or still buffered.
  std::int64_t size() const { return counts_.bytes + static_cast<std::int64_t>(buffer_.size()); }

  void BeginObject(const ObjectDescription& object) override;
  void OpenTable(std::string_view table) override;
  void PutValue(std::string_view table, std::string_view field, std::string_view text) override;
  void CloseTable(std::string_view table) override;
  void EndObject() override;

 private:
  void Append(std::string_view text) { buffer_.append(text); }
  void FlushIfFull();
  void Flush();

  std::FILE* file_;
  bool failed_ = false;
  std::string buffer_;
  DocumentCounts counts_;
};

}  // namespace kuv_bench

#endif  // KUV_BENCH_DOCUMENT_FILE_WRITER_H_
