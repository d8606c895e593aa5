// The shape of a generated document, independent of where it goes: a file
// in the written layout (DocumentFileWriter) or a stream of KuvPutValue
// calls (PutRecorder). Producers describe each business object, then its
// content in document order.
#ifndef KUV_BENCH_DOCUMENT_SINK_H_
#define KUV_BENCH_DOCUMENT_SINK_H_

#include <string>
#include <string_view>
#include <vector>

namespace kuv_bench {

struct TableDef {
  std::string table;
  std::string parent;  // empty for a top-level table
};

struct FieldDef {
  std::string table;
  std::string field;
  std::string unit;
  std::string type;
};

// Header and data description of one business object. Tables are listed
// parents first, so that they can be declared one by one in this order.
struct ObjectDescription {
  std::string id;
  std::string author;
  std::string version;
  std::string wellId;
  std::string date;
  std::vector<TableDef> tables;
  std::vector<FieldDef> fields;
};

class DocumentSink {
 public:
  virtual ~DocumentSink() = default;
  virtual void BeginObject(const ObjectDescription& object) = 0;
  // Tables open and close like brackets; values belong to the table opened
  // last. The first field of a table's rows starts each row.
  virtual void OpenTable(std::string_view table) = 0;
  virtual void PutValue(std::string_view table, std::string_view field, std::string_view text) = 0;
  virtual void CloseTable(std::string_view table) = 0;
  virtual void EndObject() = 0;
};

}  // namespace kuv_bench

#endif  // KUV_BENCH_DOCUMENT_SINK_H_
