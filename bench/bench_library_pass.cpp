// The library's own pass over documents, the anchor of the tool's figures:
// Document::Open, a walk over every value, and Save to a new file. Prints
// each step's seconds and the process's peak memory, so that a script can
// put the tool's commands beside it.
//
//   kuv_bench_library_pass DOCUMENT SAVED
//   kuv_bench_library_pass [--jobs N] DOCUMENT... SAVED_FOLDER
//
// With several documents, each is saved into the folder under its own
// name, and --jobs of them are handled at once, each on a thread of its
// own (the steps' seconds are then summed over the documents).
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <exception>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "document_walk.h"
#include "harness.h"
#include "kuv/document.hpp"

namespace {

struct Pass {
  double open = 0;
  double walk = 0;
  double save = 0;
  long long values = 0;
  std::size_t bytes = 0;
};

Pass RunOne(const std::string& path, const std::string& saved) {
  using kuv_bench::TimeSeconds;
  Pass pass;
  kuv::Document document;
  pass.open = TimeSeconds([&] { document = kuv::Document::Open(path); });
  kuv_bench::WalkCounts counts;
  pass.walk = TimeSeconds([&] { counts = kuv_bench::WalkAllValues(document); });
  pass.save = TimeSeconds([&] { document.Save(saved); });
  pass.values = static_cast<long long>(counts.values);
  pass.bytes = counts.bytes;
  return pass;
}

std::string SavedName(const std::string& folder, const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return folder + "/" + (slash == std::string::npos ? path : path.substr(slash + 1));
}

}  // namespace

int main(int argc, char** argv) {
  unsigned jobs = 1;
  int first = 1;
  if (argc > 2 && std::strcmp(argv[1], "--jobs") == 0) {
    jobs = static_cast<unsigned>(std::max(1, std::atoi(argv[2])));
    first = 3;
  }
  if (argc - first < 2) {
    std::fprintf(stderr, "usage: %s [--jobs N] DOCUMENT... SAVED\n", argv[0]);
    return 2;
  }
  const std::vector<std::string> documents(argv + first, argv + argc - 1);
  const std::string saved = argv[argc - 1];
  Pass total;
  std::mutex mutex;
  std::atomic<std::size_t> next{0};
  std::atomic<bool> failed{false};
  const auto work = [&] {
    for (std::size_t i; (i = next++) < documents.size() && !failed;) {
      try {
        const Pass pass =
            RunOne(documents[i], documents.size() == 1 ? saved : SavedName(saved, documents[i]));
        const std::lock_guard<std::mutex> lock(mutex);
        total.open += pass.open;
        total.walk += pass.walk;
        total.save += pass.save;
        total.values += pass.values;
        total.bytes += pass.bytes;
      } catch (const std::exception& error) {
        const std::lock_guard<std::mutex> lock(mutex);
        std::fprintf(stderr, "%s: %s\n", documents[i].c_str(), error.what());
        failed = true;
      }
    }
  };
  std::vector<std::thread> threads;
  for (unsigned j = 1; j < std::min<std::size_t>(jobs, documents.size()); ++j) {
    threads.emplace_back(work);
  }
  work();
  for (std::thread& thread : threads) thread.join();
  if (failed) return 1;
  std::printf("open %.3f walk %.3f save %.3f values %lld bytes %zu peak_kb %lld\n", total.open,
              total.walk, total.save, total.values, total.bytes,
              static_cast<long long>(kuv_bench::PeakResidentBytes() / 1024));
  return 0;
}
