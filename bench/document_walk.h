// Visits every value of a document through the document API, the way a
// host reads one: objects, their tables depth first through a stack of
// their own, rows, values.
#ifndef KUV_BENCH_DOCUMENT_WALK_H_
#define KUV_BENCH_DOCUMENT_WALK_H_

#include <cstddef>
#include <cstdint>
#include <vector>

#include "kuv/document.hpp"

namespace kuv_bench {

struct WalkCounts {
  std::int64_t values = 0;
  std::size_t bytes = 0;  // of the values' fields and texts, so none is skipped
};

inline WalkCounts WalkAllValues(const kuv::Document& document) {
  WalkCounts counts;
  for (const kuv::BusinessObject object : document.objects()) {
    std::vector<kuv::Table> pending(object.tables().begin(), object.tables().end());
    while (!pending.empty()) {
      const kuv::Table table = pending.back();
      pending.pop_back();
      for (const kuv::Row row : table.rows()) {
        for (const kuv::Value value : row.values()) {
          ++counts.values;
          counts.bytes += value.field.size() + value.text.size();
        }
        for (const kuv::Table child : row.child_tables()) pending.push_back(child);
      }
    }
  }
  return counts;
}

}  // namespace kuv_bench

#endif  // KUV_BENCH_DOCUMENT_WALK_H_
