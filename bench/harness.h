// The plain harness shared by the benchmarks: wall-clock timing, resident
// memory from /proc, measurements taken in a forked child so that each
// starts from the same small process, and the few chores every benchmark
// host needs (attaching the library, reading a document's counts).
#ifndef KUV_BENCH_HARNESS_H_
#define KUV_BENCH_HARNESS_H_

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

namespace kuv_bench {

using Clock = std::chrono::steady_clock;

inline double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

template <typename Work>
double TimeSeconds(Work&& work) {
  const Clock::time_point start = Clock::now();
  work();
  return SecondsSince(start);
}

// Resident set size now and its peak (VmRSS, VmHWM), in bytes; -1 when
// /proc is not readable.
std::int64_t ResidentBytes();
std::int64_t PeakResidentBytes();
// Lowers the recorded peak to the current resident size, so that a forked
// child measures its own peak rather than its parent's.
bool ResetPeakResident();

// What one measurement in a child process reports back.
struct ChildReport {
  bool ok = false;
  double seconds = 0;           // the measured operation
  double freeSeconds = 0;       // releasing what it built
  std::int64_t startBytes = 0;  // resident before the operation
  std::int64_t peakBytes = 0;   // peak resident after it
  std::int64_t count = 0;       // what it found (objects, nodes...)
};

// Runs body in a forked child and returns its report; ok is false when the
// child failed or died.
ChildReport RunInChild(const std::function<ChildReport()>& body);

std::int64_t FileSize(const std::string& path);
// Reads the file once so that every contender starts with it in the page
// cache.
bool WarmPageCache(const std::string& path);
// Compares two files byte for byte.
bool SameContent(const std::string& a, const std::string& b);

// A count from the ".stats" file the generator writes next to a document,
// or -1 when there is none.
std::int64_t DocumentStat(const std::string& documentPath, const std::string& name);

// Attaches the library; on failure prints why and how to point it at a
// template, and returns false.
bool AttachLibrary();

// "--runs N"-style options after the positional arguments.
class Arguments {
 public:
  Arguments(int argc, char** argv) : argc_(argc), argv_(argv) {}
  // The i-th argument that is not an option or an option's value, or "".
  std::string Positional(int index) const;
  std::int64_t Number(const char* option, std::int64_t fallback) const;
  std::string Text(const char* option, const std::string& fallback) const;

 private:
  int argc_;
  char** argv_;
};

// Formatting of result lines, so that all benchmarks read alike.
void PrintHeading(const std::string& title);
void PrintTarget(bool met, const std::string& text);
std::string Megabytes(std::int64_t bytes);
std::string SecondsText(double seconds);

}  // namespace kuv_bench

#endif  // KUV_BENCH_HARNESS_H_
