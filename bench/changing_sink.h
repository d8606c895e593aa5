// Another version of a generated document: passes everything on to the
// sink it wraps, but changes a share of the values on the way, as a
// corrected delivery would. The field that begins a table's rows is left
// alone, so that every row keeps its key and only values differ.
#ifndef KUV_BENCH_CHANGING_SINK_H_
#define KUV_BENCH_CHANGING_SINK_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "document_sink.h"
#include "random.h"

namespace kuv_bench {

class ChangingSink : public DocumentSink {
 public:
  // Changes each value with the chance share (0.01 for 1 %).
  ChangingSink(DocumentSink& target, double share, std::uint64_t seed)
      : target_(target), share_(share), random_(seed) {}

  std::int64_t changed() const { return changed_; }

  void BeginObject(const ObjectDescription& object) override { target_.BeginObject(object); }
  void OpenTable(std::string_view table) override {
    firstFields_.emplace_back();
    target_.OpenTable(table);
  }
  void PutValue(std::string_view table, std::string_view field, std::string_view text) override {
    std::string& first = firstFields_.back();
    if (first.empty()) first = field;
    if (field == first || !random_.Chance(share_)) {
      target_.PutValue(table, field, text);
      return;
    }
    // The last digit moves on by one, or the last letter becomes another:
    // the length stays, and so does the size at which generation stops.
    std::string changed(text);
    const std::size_t digit = changed.find_last_of("0123456789");
    if (digit != std::string::npos) {
      changed[digit] = static_cast<char>('0' + (changed[digit] - '0' + 1) % 10);
    } else if (!changed.empty()) {
      changed.back() = changed.back() == 'x' ? 'y' : 'x';
    } else {
      changed = "x";
    }
    ++changed_;
    target_.PutValue(table, field, changed);
  }
  void CloseTable(std::string_view table) override {
    firstFields_.pop_back();
    target_.CloseTable(table);
  }
  void EndObject() override { target_.EndObject(); }

 private:
  DocumentSink& target_;
  double share_;
  Random random_;
  std::vector<std::string> firstFields_;  // of each open table
  std::int64_t changed_ = 0;
};

}  // namespace kuv_bench

#endif  // KUV_BENCH_CHANGING_SINK_H_
