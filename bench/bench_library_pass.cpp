// The library's own pass over a document, the anchor of the tool's
// figures: Document::Open, a walk over every value, and Save to a new
// file. Prints each step's seconds and the process's peak memory, so that
// a script can put the tool's commands beside it.
//
//   kuv_bench_library_pass DOCUMENT SAVED
#include <cstdio>
#include <exception>

#include "document_walk.h"
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
    kuv_bench::WalkCounts counts;
    const double walk = TimeSeconds([&] { counts = kuv_bench::WalkAllValues(document); });
    const double save = TimeSeconds([&] { document.Save(argv[2]); });
    std::printf("open %.3f walk %.3f save %.3f values %lld bytes %zu peak_kb %lld\n", open, walk,
                save, static_cast<long long>(counts.values), counts.bytes,
                static_cast<long long>(kuv_bench::PeakResidentBytes() / 1024));
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 1;
  }
  return 0;
}
