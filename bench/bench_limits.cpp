// The library beside the limits of the machine, as four ratios, each
// measured beside its anchor in the same run (best of several, runs
// alternating):
//   open   KuvOpen time / reading the file and one memchr pass over it,
//          for every document given (target at most 2.0, and the time per
//          MB flat from the smallest to the largest);
//   walk   values per second through KuvGetNextObject/KuvGetNextValue on
//          the largest document (target at least 25 million);
//   save   KuvSave time, and Document::Save's, / one write and an fsync of
//          as many bytes to a new file in the same folder (target at most
//          1.5); the save's own check that the document would read back
//          as it is, alone, is shown beside them;
//   memory resident growth while KuvOpen holds the largest document /
//          its size (target at most 1.5).
// Exits 1 when a target is missed, so that a regression shows.
//
//   kuv_bench_limits DOCUMENT... [--runs 5] [--out-dir DIR]
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "harness.h"
#include "kuv/document.hpp"
#include "kuv/kuv.h"

namespace {

using kuv_bench::ChildReport;

// Reads the whole file into memory of its own and makes one memchr pass
// over all of it: what any reader that looks at every byte must at least
// do. The memory is fresh for every run, as a reader's would be.
double ReadAndScan(const std::string& path, std::int64_t* scanned) {
  *scanned = 0;
  return kuv_bench::TimeSeconds([&] {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return;
    const auto size = static_cast<std::size_t>(kuv_bench::FileSize(path));
    std::unique_ptr<char[]> bytes(new char[size + 1]);
    std::size_t done = 0;
    for (;;) {
      const ssize_t got = ::read(fd, bytes.get() + done, size + 1 - done);
      if (got <= 0) break;
      done += static_cast<std::size_t>(got);
    }
    ::close(fd);
    // A zero byte occurs nowhere in a document: the pass sees every byte.
    const void* zero = std::memchr(bytes.get(), 0, done);
    *scanned = zero == nullptr ? static_cast<std::int64_t>(done) : -1;
  });
}

double Open(const std::string& path) {
  char* message = nullptr;
  int opened = 0;
  const double seconds =
      kuv_bench::TimeSeconds([&] { opened = KuvOpen(path.c_str(), &message, 0); });
  if (opened != 1) {
    std::fprintf(stderr, "KuvOpen failed: %s\n", message != nullptr ? message : "");
    return -1;
  }
  return seconds;
}

// Values per second of a whole walk of the open document.
double Walk(std::int64_t* values) {
  char *id, *author, *version, *wellId, *date;
  char *table, *field, *type, *unit, *value, *parentTable;
  int row = 0;
  *values = 0;
  const double seconds = kuv_bench::TimeSeconds([&] {
    while (KuvGetNextObject(&id, &author, &version, &wellId, &date)) {
      while (KuvGetNextValue(&table, &field, &type, &unit, &value, &parentTable, &row)) ++*values;
    }
  });
  return static_cast<double>(*values) / seconds;
}

bool WriteAtOnce(const std::string& path, const std::vector<char>& bytes) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t written = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (written <= 0) break;
    done += static_cast<std::size_t>(written);
  }
  const bool ok = done == bytes.size() && ::fsync(fd) == 0;
  return ::close(fd) == 0 && ok;
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : path.substr(0, slash);
}

// Resident growth while the document is held, measured in a child of its
// own so that nothing else is resident.
std::int64_t MemoryHeld(const std::string& path) {
  const ChildReport report = kuv_bench::RunInChild([&] {
    ChildReport child;
    if (!kuv_bench::AttachLibrary()) return child;
    child.startBytes = kuv_bench::ResidentBytes();
    child.ok = Open(path) >= 0;
    child.peakBytes = kuv_bench::ResidentBytes();
    return child;
  });
  return report.ok ? report.peakBytes - report.startBytes : -1;
}

}  // namespace

int main(int argc, char** argv) {
  const kuv_bench::Arguments arguments(argc, argv);
  const int runs = static_cast<int>(std::max<std::int64_t>(1, arguments.Number("--runs", 5)));
  std::vector<std::string> documents;
  for (int i = 0; !arguments.Positional(i).empty(); ++i) {
    documents.push_back(arguments.Positional(i));
  }
  if (documents.empty()) {
    std::fprintf(stderr, "usage: %s DOCUMENT... [--runs N] [--out-dir DIR]\n", argv[0]);
    return 2;
  }
  std::sort(documents.begin(), documents.end(), [](const std::string& a, const std::string& b) {
    return kuv_bench::FileSize(a) < kuv_bench::FileSize(b);
  });
  bool allMet = true;
  // First, in a child forked before this process has touched any memory
  // that a document could reuse.
  const std::string& largest = documents.back();
  const std::int64_t largestBytes = kuv_bench::FileSize(largest);
  const std::int64_t held = MemoryHeld(largest);
  if (!kuv_bench::AttachLibrary()) return 1;

  kuv_bench::PrintHeading("Open: KuvOpen beside reading the file and one memchr pass, best of " +
                          std::to_string(runs));
  std::vector<double> secondsPerMb;
  for (const std::string& path : documents) {
    const std::int64_t bytes = kuv_bench::FileSize(path);
    if (bytes <= 0 || !kuv_bench::WarmPageCache(path)) {
      std::fprintf(stderr, "cannot read %s\n", path.c_str());
      return 1;
    }
    double bestOpen = 1e300;
    double bestScan = 1e300;
    std::int64_t scanned = 0;
    for (int run = 0; run < runs; ++run) {
      bestScan = std::min(bestScan, ReadAndScan(path, &scanned));
      const double open = Open(path);
      if (open < 0) return 1;
      bestOpen = std::min(bestOpen, open);
      KuvDetach();
      if (!kuv_bench::AttachLibrary()) return 1;
    }
    const double mb = static_cast<double>(bytes) / 1e6;
    const double ratio = bestOpen / bestScan;
    secondsPerMb.push_back(bestOpen / mb);
    std::printf("  %-40s %8.1f MB  open %7.1f MB/s  read+memchr %7.1f MB/s  ratio %.2f\n",
                path.substr(path.rfind('/') + 1).c_str(), mb, mb / bestOpen, mb / bestScan, ratio);
    kuv_bench::PrintTarget(ratio <= 2.0, "open at most 2.0x read+memchr");
    allMet = allMet && ratio <= 2.0;
  }
  if (secondsPerMb.size() > 1) {
    const double spread = *std::max_element(secondsPerMb.begin(), secondsPerMb.end()) /
                          *std::min_element(secondsPerMb.begin(), secondsPerMb.end());
    std::printf("  cost per MB, highest / lowest over the sizes: %.2f\n", spread);
    // Flat within the noise of a shared machine.
    kuv_bench::PrintTarget(spread <= 1.3, "cost per MB flat from the smallest to the largest");
    allMet = allMet && spread <= 1.3;
  }

  if (Open(largest) < 0) return 1;

  kuv_bench::PrintHeading("Walk: every value of " + largest + ", best of " + std::to_string(runs));
  double bestRate = 0;
  std::int64_t values = 0;
  for (int run = 0; run < runs; ++run) bestRate = std::max(bestRate, Walk(&values));
  std::printf("  %lld values, %.1f million values/s, %.1f ns per value\n",
              static_cast<long long>(values), bestRate / 1e6, 1e9 / bestRate);
  kuv_bench::PrintTarget(bestRate >= 25e6, "walk at least 25 million values/s");
  allMet = allMet && bestRate >= 25e6;

  kuv_bench::PrintHeading("Save: KuvSave beside one write and an fsync, best of " +
                          std::to_string(runs));
  const std::string folder = arguments.Text("--out-dir", FolderOf(largest));
  const std::string saved = folder + "/limits-saved.kuv";
  const std::string plain = folder + "/limits-plain.bin";
  const std::vector<char> bytes(static_cast<std::size_t>(largestBytes), 'x');
  double bestSave = 1e300;
  double bestWrite = 1e300;
  for (int run = 0; run < runs; ++run) {
    ::unlink(saved.c_str());
    ::unlink(plain.c_str());
    char* message = nullptr;
    int ok = 0;
    bestSave =
        std::min(bestSave, kuv_bench::TimeSeconds([&] { ok = KuvSave(saved.c_str(), &message); }));
    bool written = false;
    bestWrite =
        std::min(bestWrite, kuv_bench::TimeSeconds([&] { written = WriteAtOnce(plain, bytes); }));
    if (ok != 1 || !written) {
      std::fprintf(stderr, "a save failed: %s\n", message != nullptr ? message : "");
      return 1;
    }
  }
  const bool same = kuv_bench::SameContent(saved, largest);
  ::unlink(saved.c_str());
  ::unlink(plain.c_str());
  std::printf("  KuvSave %.3f s, write+fsync %.3f s, ratio %.2f%s\n", bestSave, bestWrite,
              bestSave / bestWrite, same ? "" : " (WARNING: the saved bytes differ)");
  kuv_bench::PrintTarget(bestSave / bestWrite <= 1.5, "save at most 1.5x write+fsync");
  allMet = allMet && bestSave / bestWrite <= 1.5 && same;
  KuvDetach();

  kuv_bench::PrintHeading(
      "Save: Document::Save and its check beside one write and an fsync, "
      "best of " +
      std::to_string(runs));
  const kuv::Document document = kuv::Document::Open(largest);
  double bestDocumentSave = 1e300;
  double bestCheck = 1e300;
  double bestPlain = 1e300;
  for (int run = 0; run < runs; ++run) {
    ::unlink(saved.c_str());
    ::unlink(plain.c_str());
    bestDocumentSave =
        std::min(bestDocumentSave, kuv_bench::TimeSeconds([&] { document.Save(saved); }));
    bool found = true;
    bestCheck = std::min(bestCheck, kuv_bench::TimeSeconds([&] {
                           found = document.FindReadBackProblem().has_value();
                         }));
    bool written = false;
    bestPlain =
        std::min(bestPlain, kuv_bench::TimeSeconds([&] { written = WriteAtOnce(plain, bytes); }));
    if (found || !written) {
      std::fprintf(stderr, "the document would not read back, or a write failed\n");
      return 1;
    }
  }
  const bool documentSame = kuv_bench::SameContent(saved, largest);
  ::unlink(saved.c_str());
  ::unlink(plain.c_str());
  std::printf("  Document::Save %.3f s, write+fsync %.3f s, ratio %.2f%s\n", bestDocumentSave,
              bestPlain, bestDocumentSave / bestPlain,
              documentSame ? "" : " (WARNING: the saved bytes differ)");
  std::printf("  the check alone (FindReadBackProblem) %.3f s, %.2fx write+fsync\n", bestCheck,
              bestCheck / bestPlain);
  kuv_bench::PrintTarget(bestDocumentSave / bestPlain <= 1.5,
                         "Document::Save at most 1.5x write+fsync");
  allMet = allMet && bestDocumentSave / bestPlain <= 1.5 && documentSame;

  kuv_bench::PrintHeading("Memory: resident growth while " + largest + " is open");

  const double memoryRatio = static_cast<double>(held) / static_cast<double>(largestBytes);
  std::printf("  %s held for a %s file: %.2fx\n", kuv_bench::Megabytes(held).c_str(),
              kuv_bench::Megabytes(largestBytes).c_str(), memoryRatio);
  kuv_bench::PrintTarget(held > 0 && memoryRatio <= 1.5, "memory after open at most 1.5x file");
  allMet = allMet && held > 0 && memoryRatio <= 1.5;
  return allMet ? 0 : 1;
}
