// Records a generated document as the calls a host makes to build it:
// per business object its header and declarations, then one KuvPutValue
// (table, field, value) per value. Recording happens before timing, so a
// replay measures the library alone.
#ifndef KUV_BENCH_PUT_RECORDER_H_
#define KUV_BENCH_PUT_RECORDER_H_

#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "document_sink.h"

namespace kuv_bench {

struct PutCall {
  const char* table;
  const char* field;
  const char* value;
};

struct RecordedObject {
  ObjectDescription description;
  std::size_t firstCall;  // its values are calls [firstCall, endCall)
  std::size_t endCall;
};

class PutRecorder : public DocumentSink {
 public:
  // Keeps the first valueLimit values and drops everything after them.
  explicit PutRecorder(std::int64_t valueLimit) : limit_(valueLimit) {}

  bool full() const { return static_cast<std::int64_t>(offsets_.size()) >= limit_; }
  // Ends recording and resolves the calls; the recorder then stays as is.
  void Finish();
  const std::vector<RecordedObject>& objects() const { return objects_; }
  const std::vector<PutCall>& calls() const { return calls_; }

  void BeginObject(const ObjectDescription& object) override;
  void OpenTable(std::string_view) override {}
  void PutValue(std::string_view table, std::string_view field, std::string_view text) override;
  void CloseTable(std::string_view) override {}
  void EndObject() override {}

 private:
  struct Pending {
    const char* table;
    const char* field;
    std::size_t valueOffset;  // into values_, which still grows
  };
  const char* Intern(std::string_view name);

  std::int64_t limit_;
  std::set<std::string, std::less<>> names_;  // node-based: pointers stay put
  std::string values_;                        // zero-terminated value texts
  std::vector<Pending> offsets_;
  std::vector<RecordedObject> objects_;
  std::vector<PutCall> calls_;
};

}  // namespace kuv_bench

#endif  // KUV_BENCH_PUT_RECORDER_H_
