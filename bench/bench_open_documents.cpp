// What reading documents costs the library alone, the anchor of kuv diff's
// figures: Document::Open of each document in turn, all held at the end,
// as a comparison holds them. Prints the seconds and the process's peak
// memory.
//
//   kuv_bench_open_documents DOCUMENT...
#include <cstdio>
#include <exception>
#include <vector>

#include "harness.h"
#include "kuv/document.hpp"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s DOCUMENT...\n", argv[0]);
    return 2;
  }
  try {
    std::vector<kuv::Document> documents;
    const double open = kuv_bench::TimeSeconds([&] {
      for (int i = 1; i < argc; ++i) documents.push_back(kuv::Document::Open(argv[i]));
    });
    std::size_t objects = 0;
    for (const kuv::Document& document : documents) objects += document.size();
    std::printf("open %.3f objects %zu peak_kb %lld\n", open, objects,
                static_cast<long long>(kuv_bench::PeakResidentBytes() / 1024));
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 1;
  }
  return 0;
}
