// The document API as a host uses it, beside the C interface.
//
//   kuv_bench_document open DOCUMENT [--runs 5]
//     Document::Open beside KuvOpen of the same file, alternating, each run
//     in its own forked child. Target: the API no slower than KuvOpen.
//   kuv_bench_document threads DOCUMENT... [--runs 3]
//     Opens and walks every document (each value's field and text looked
//     at) on one thread, then on two, each thread taking the next document
//     from a shared counter. Target: two threads at least 1.8 times as
//     fast as one.
#include <algorithm>
#include <atomic>
#include <optional>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "document_walk.h"
#include "harness.h"
#include "kuv/document.hpp"
#include "kuv/kuv.h"

namespace {

using kuv_bench::ChildReport;

ChildReport OpenWithTheCInterface(const std::string& path) {
  ChildReport report;
  if (!kuv_bench::AttachLibrary()) return report;
  kuv_bench::ResetPeakResident();
  char* message = nullptr;
  int opened = 0;
  report.seconds = kuv_bench::TimeSeconds([&] { opened = KuvOpen(path.c_str(), &message, 0); });
  report.peakBytes = kuv_bench::PeakResidentBytes();
  char** names = nullptr;
  int count = 0;
  if (opened == 1 && KuvObjectList(&names, &count) == 1) report.count = count;
  KuvDetach();
  report.ok = opened == 1;
  return report;
}

ChildReport OpenWithTheDocumentApi(const std::string& path) {
  ChildReport report;
  kuv_bench::ResetPeakResident();
  try {
    std::optional<kuv::Document> document;
    report.seconds = kuv_bench::TimeSeconds([&] { document = kuv::Document::Open(path); });
    report.peakBytes = kuv_bench::PeakResidentBytes();
    report.count = static_cast<std::int64_t>(document->size());
    report.ok = true;
  } catch (const kuv::Error& error) {
    std::fprintf(stderr, "Document::Open failed: %s\n", error.what());
  }
  return report;
}

int CompareOpen(const std::string& path, int runs) {
  const std::int64_t fileBytes = kuv_bench::FileSize(path);
  if (fileBytes <= 0 || !kuv_bench::WarmPageCache(path)) {
    std::fprintf(stderr, "cannot read %s\n", path.c_str());
    return 1;
  }
  std::vector<double> api;
  std::vector<double> c;
  std::int64_t apiPeak = 0;
  std::int64_t cPeak = 0;
  for (int run = 0; run < runs; ++run) {
    // Each goes first in every other run, so that neither gains from the
    // order (a warmer cache, a faster clock).
    ChildReport ours;
    ChildReport theirs;
    if (run % 2 == 0) {
      ours = kuv_bench::RunInChild([&] { return OpenWithTheDocumentApi(path); });
      theirs = kuv_bench::RunInChild([&] { return OpenWithTheCInterface(path); });
    } else {
      theirs = kuv_bench::RunInChild([&] { return OpenWithTheCInterface(path); });
      ours = kuv_bench::RunInChild([&] { return OpenWithTheDocumentApi(path); });
    }
    if (!ours.ok || !theirs.ok || ours.count != theirs.count) {
      std::fprintf(stderr, "an open failed or the two disagree on the objects\n");
      return 1;
    }
    api.push_back(ours.seconds);
    c.push_back(theirs.seconds);
    apiPeak = std::max(apiPeak, ours.peakBytes);
    cPeak = std::max(cPeak, theirs.peakBytes);
  }
  const double bestApi = *std::min_element(api.begin(), api.end());
  const double bestC = *std::min_element(c.begin(), c.end());
  const double mb = static_cast<double>(fileBytes) / 1e6;
  kuv_bench::PrintHeading("Opening " + path + " (" + kuv_bench::Megabytes(fileBytes) +
                          "), best of " + std::to_string(runs) + ", alternating, one child each");
  std::printf("  %-16s %7.3f s  %7.1f MB/s  peak RSS %s\n", "Document::Open", bestApi,
              mb / bestApi, kuv_bench::Megabytes(apiPeak).c_str());
  std::printf("  %-16s %7.3f s  %7.1f MB/s  peak RSS %s\n", "KuvOpen", bestC, mb / bestC,
              kuv_bench::Megabytes(cPeak).c_str());
  std::printf("  Document::Open time / KuvOpen time: %.3f\n", bestApi / bestC);
  // Two percent is the spread of repeated runs of one contender here.
  kuv_bench::PrintTarget(bestApi <= bestC * 1.02, "the document API no slower than KuvOpen");
  return 0;
}

// Opens and walks one document; the count of values seen.
std::int64_t OpenAndWalk(const std::string& path) {
  const kuv_bench::WalkCounts counts = kuv_bench::WalkAllValues(kuv::Document::Open(path));
  return counts.bytes > 0 ? counts.values : 0;
}

// Seconds to open and walk every document on this many threads.
double OpenAndWalkAll(const std::vector<std::string>& paths, int threads,
                      std::int64_t* values) {
  std::atomic<std::size_t> next{0};
  std::atomic<std::int64_t> seen{0};
  const double seconds = kuv_bench::TimeSeconds([&] {
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t) {
      workers.emplace_back([&] {
        for (std::size_t i = next++; i < paths.size(); i = next++) seen += OpenAndWalk(paths[i]);
      });
    }
    for (std::thread& worker : workers) worker.join();
  });
  *values = seen;
  return seconds;
}

int CompareThreads(const std::vector<std::string>& paths, int runs) {
  std::int64_t totalBytes = 0;
  for (const std::string& path : paths) {
    if (!kuv_bench::WarmPageCache(path)) {
      std::fprintf(stderr, "cannot read %s\n", path.c_str());
      return 1;
    }
    totalBytes += kuv_bench::FileSize(path);
  }
  double best[3] = {1e300, 1e300, 1e300};
  std::int64_t values[3] = {0, 0, 0};
  for (int run = 0; run < runs; ++run) {
    for (int threads : {1, 2}) {
      best[threads] = std::min(best[threads], OpenAndWalkAll(paths, threads, &values[threads]));
    }
  }
  kuv_bench::PrintHeading("Open and walk " + std::to_string(paths.size()) + " documents (" +
                          kuv_bench::Megabytes(totalBytes) + "), best of " +
                          std::to_string(runs) + " runs, " +
                          std::to_string(std::thread::hardware_concurrency()) + " cores");
  for (int threads : {1, 2}) {
    std::printf("  %d thread%s  %7.3f s  %7.1f MB/s  %6.1f million values/s\n", threads,
                threads == 1 ? " " : "s", best[threads],
                static_cast<double>(totalBytes) / 1e6 / best[threads],
                static_cast<double>(values[threads]) / 1e6 / best[threads]);
  }
  const double speedUp = best[1] / best[2];
  std::printf("  speed-up of two threads over one: %.2fx\n", speedUp);
  kuv_bench::PrintTarget(speedUp >= 1.8, "two threads at least 1.8x as fast as one");
  return values[1] == values[2] && values[1] > 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const kuv_bench::Arguments arguments(argc, argv);
  const std::string mode = arguments.Positional(0);
  const int runs = static_cast<int>(std::max<std::int64_t>(1, arguments.Number("--runs", 3)));
  std::vector<std::string> paths;
  for (int i = 1; !arguments.Positional(i).empty(); ++i) paths.push_back(arguments.Positional(i));
  if (mode == "open" && paths.size() == 1) return CompareOpen(paths[0], runs);
  if (mode == "threads" && !paths.empty()) return CompareThreads(paths, runs);
  std::fprintf(stderr, "usage: %s open DOCUMENT [--runs N]\n       %s threads DOCUMENT... [--runs N]\n",
               argv[0], argv[0]);
  return 2;
}
