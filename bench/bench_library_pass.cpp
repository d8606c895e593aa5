// The library's own pass over a document, the anchor of the tool's
// figures: Document::Open, a walk over every value, and Save to a new
// file. Prints each step's seconds and the process's peak memory, so that
// a script can put the tool's commands beside it.
//
//   kuv_bench_library_pass DOCUMENT SAVED
#include <cstdio>
#include <exception>
#include <vector>

#include "harness.h"
#include "kuv/document.hpp"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s DOCUMENT SAVED\n", argv[0]);
    return 2;
  }
  try {
    using kuv_bench::TimeSeconds;
    kuv::Document document;
    const double open = TimeSeconds([&] { document = kuv::Document::Open(argv[1]); });
    std::size_t values = 0;
    std::size_t bytes = 0;
    const double walk = TimeSeconds([&] {
      for (const kuv::BusinessObject object : document.objects()) {
        std::vector<kuv::Table> pending(object.tables().begin(), object.tables().end());
        while (!pending.empty()) {
          const kuv::Table table = pending.back();
          pending.pop_back();
          for (const kuv::Row row : table.rows()) {
            for (const kuv::Value value : row.values()) {
              ++values;
              bytes += value.field.size() + value.text.size();
            }
            for (const kuv::Table child : row.child_tables()) pending.push_back(child);
          }
        }
      }
    });
    const double save = TimeSeconds([&] { document.Save(argv[2]); });
    std::printf("open %.3f walk %.3f save %.3f values %zu bytes %zu peak_kb %lld\n", open, walk,
                save, values, bytes,
                static_cast<long long>(kuv_bench::PeakResidentBytes() / 1024));
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 1;
  }
  return 0;
}
