// Reading: KuvOpen of a document beside pugixml's DOM load of the very same
// file, alternating, each run in its own forked child so that neither
// inherits the other's memory. Reports the best time of each, MB/s, the
// ratio, and each one's peak resident memory once the document is loaded.
//
//   kuv_bench_read DOCUMENT [--runs 5]
#include <algorithm>
#include <cstdio>
#include <pugixml.hpp>
#include <string>
#include <vector>

#include "harness.h"
#include "kuv/kuv.h"

namespace {

using kuv_bench::ChildReport;

ChildReport ReadWithKuv(const std::string& path) {
  ChildReport report;
  if (!kuv_bench::AttachLibrary()) return report;
  kuv_bench::ResetPeakResident();
  report.startBytes = kuv_bench::ResidentBytes();
  char* message = nullptr;
  int opened = 0;
  report.seconds = kuv_bench::TimeSeconds([&] { opened = KuvOpen(path.c_str(), &message, 0); });
  report.peakBytes = kuv_bench::PeakResidentBytes();
  if (opened != 1) {
    std::fprintf(stderr, "KuvOpen failed: %s\n", message != nullptr ? message : "");
    return report;
  }
  char** names = nullptr;
  int count = 0;
  if (KuvObjectList(&names, &count) == 1) report.count = count;
  report.freeSeconds = kuv_bench::TimeSeconds([] { KuvDetach(); });
  report.ok = true;
  return report;
}

ChildReport ReadWithPugixml(const std::string& path) {
  ChildReport report;
  kuv_bench::ResetPeakResident();
  report.startBytes = kuv_bench::ResidentBytes();
  pugi::xml_document document;
  pugi::xml_parse_result result;
  report.seconds = kuv_bench::TimeSeconds([&] { result = document.load_file(path.c_str()); });
  report.peakBytes = kuv_bench::PeakResidentBytes();
  if (!result) {
    std::fprintf(stderr, "pugixml failed: %s at offset %lld\n", result.description(),
                 static_cast<long long>(result.offset));
    return report;
  }
  for (pugi::xml_node object : document.child("KUV").children("BusinessObject")) {
    (void)object;
    ++report.count;
  }
  report.freeSeconds = kuv_bench::TimeSeconds([&] { document.reset(); });
  report.ok = true;
  return report;
}

struct Summary {
  double bestSeconds = 1e300;
  double bestFreeSeconds = 1e300;
  std::int64_t peakBytes = 0;  // the highest seen: memory is not a best-of figure
  std::int64_t startBytes = 0;
  std::int64_t count = -1;
  std::vector<double> times;
};

void Add(Summary& summary, const ChildReport& report) {
  summary.times.push_back(report.seconds);
  summary.bestSeconds = std::min(summary.bestSeconds, report.seconds);
  summary.bestFreeSeconds = std::min(summary.bestFreeSeconds, report.freeSeconds);
  summary.peakBytes = std::max(summary.peakBytes, report.peakBytes);
  summary.startBytes = std::max(summary.startBytes, report.startBytes);
  summary.count = report.count;
}

void PrintLine(const char* name, const Summary& summary, std::int64_t fileBytes) {
  const double mb = static_cast<double>(fileBytes) / 1e6;
  std::printf("  %-20s %7.3f s  %7.1f MB/s   peak RSS %8s (%.2fx file; %s before)   free %.3f s\n",
              name, summary.bestSeconds, mb / summary.bestSeconds,
              kuv_bench::Megabytes(summary.peakBytes).c_str(),
              static_cast<double>(summary.peakBytes) / static_cast<double>(fileBytes),
              kuv_bench::Megabytes(summary.startBytes).c_str(), summary.bestFreeSeconds);
  std::printf("  %-20s runs:", "");
  for (double seconds : summary.times) std::printf(" %.3f", seconds);
  std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
  const kuv_bench::Arguments arguments(argc, argv);
  const std::string path = arguments.Positional(0);
  const int runs = static_cast<int>(std::max<std::int64_t>(1, arguments.Number("--runs", 5)));
  const std::int64_t fileBytes = kuv_bench::FileSize(path);
  if (path.empty() || fileBytes <= 0) {
    std::fprintf(stderr, "usage: %s DOCUMENT [--runs N]\n", argv[0]);
    return 2;
  }
  if (!kuv_bench::WarmPageCache(path)) {
    std::fprintf(stderr, "cannot read %s\n", path.c_str());
    return 1;
  }

  Summary kuv;
  Summary pugixml;
  for (int run = 0; run < runs; ++run) {
    const ChildReport ours = kuv_bench::RunInChild([&] { return ReadWithKuv(path); });
    const ChildReport theirs = kuv_bench::RunInChild([&] { return ReadWithPugixml(path); });
    if (!ours.ok || !theirs.ok) {
      std::fprintf(stderr, "a reading run failed (kuv %s, pugixml %s)\n", ours.ok ? "ok" : "failed",
                   theirs.ok ? "ok" : "failed");
      return 1;
    }
    Add(kuv, ours);
    Add(pugixml, theirs);
  }

  kuv_bench::PrintHeading("Reading " + path + " (" + kuv_bench::Megabytes(fileBytes) +
                          "), best of " + std::to_string(runs) +
                          " runs each, alternating, warm page cache, one child process per run");
  PrintLine("KuvOpen", kuv, fileBytes);
  PrintLine("pugixml load_file", pugixml, fileBytes);
  const double speedRatio = pugixml.bestSeconds / kuv.bestSeconds;
  std::printf("  KuvOpen speed / pugixml speed: %.2fx;  peak RSS kuv / pugixml: %.2fx\n",
              speedRatio,
              static_cast<double>(kuv.peakBytes) / static_cast<double>(pugixml.peakBytes));
  const std::int64_t expected = kuv_bench::DocumentStat(path, "objects");
  std::printf("  business objects: kuv %lld, pugixml %lld, generator %lld\n",
              static_cast<long long>(kuv.count), static_cast<long long>(pugixml.count),
              static_cast<long long>(expected));
  kuv_bench::PrintTarget(speedRatio >= 1.0, "KuvOpen at least as fast as pugixml");
  kuv_bench::PrintTarget(kuv.peakBytes <= 3 * fileBytes, "kuv peak resident <= 3x file size");
  const bool complete = expected < 0 || kuv.count == expected;
  if (!complete) std::printf("  WARNING: kuv did not read every business object\n");
  return complete ? 0 : 1;
}
