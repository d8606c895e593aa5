// Enumeration: every value of a document through KuvGetNextObject and
// KuvGetNextValue, as a host walks it. The first KuvGetNextValue of each
// object also builds that object's value list; its share is shown apart.
//
//   kuv_bench_enumerate DOCUMENT [--runs 5]
#include <algorithm>
#include <cstdio>
#include <string>

#include "harness.h"
#include "kuv/kuv.h"

namespace {

struct Pass {
  double seconds = 0;
  double firstCallSeconds = 0;  // the first value of each object: list building
  std::int64_t objects = 0;
  std::int64_t values = 0;
  unsigned checksum = 0;  // touches every value text handed out
};

Pass EnumerateAll() {
  Pass pass;
  char *id, *author, *version, *wellId, *date;
  char *table, *field, *type, *unit, *value, *parentTable;
  int rowIndex = 0;
  const kuv_bench::Clock::time_point start = kuv_bench::Clock::now();
  while (KuvGetNextObject(&id, &author, &version, &wellId, &date) == 1) {
    ++pass.objects;
    const kuv_bench::Clock::time_point first = kuv_bench::Clock::now();
    int more = KuvGetNextValue(&table, &field, &type, &unit, &value, &parentTable, &rowIndex);
    pass.firstCallSeconds += kuv_bench::SecondsSince(first);
    while (more == 1) {
      ++pass.values;
      pass.checksum += static_cast<unsigned char>(value[0]) + static_cast<unsigned>(rowIndex);
      more = KuvGetNextValue(&table, &field, &type, &unit, &value, &parentTable, &rowIndex);
    }
  }
  pass.seconds = kuv_bench::SecondsSince(start);
  return pass;
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
  if (!kuv_bench::AttachLibrary()) return 1;
  char* message = nullptr;
  int opened = 0;
  const double openSeconds =
      kuv_bench::TimeSeconds([&] { opened = KuvOpen(path.c_str(), &message, 0); });
  if (opened != 1) {
    std::fprintf(stderr, "KuvOpen failed: %s\n", message != nullptr ? message : "");
    return 1;
  }

  Pass best;
  best.seconds = 1e300;
  std::string times;
  for (int run = 0; run < runs; ++run) {
    const Pass pass = EnumerateAll();
    char text[32];
    std::snprintf(text, sizeof text, " %.3f", pass.seconds);
    times += text;
    if (pass.seconds < best.seconds) best = pass;
  }

  kuv_bench::PrintHeading("Enumeration of " + path + " (" + kuv_bench::Megabytes(fileBytes) +
                          ", opened in " + kuv_bench::SecondsText(openSeconds) + "), best of " +
                          std::to_string(runs) + " passes");
  const double values = static_cast<double>(best.values);
  const double restSeconds = best.seconds - best.firstCallSeconds;
  std::printf("  %lld values in %lld objects: %.3f s, %.1f million values/s, %.1f ns per value\n",
              static_cast<long long>(best.values), static_cast<long long>(best.objects),
              best.seconds, values / best.seconds / 1e6, best.seconds * 1e9 / values);
  std::printf("  first call per object (builds the value list): %.3f s, %.1f ns per value\n",
              best.firstCallSeconds, best.firstCallSeconds * 1e9 / values);
  std::printf("  every other call (hands one value out):        %.3f s, %.1f ns per value\n",
              restSeconds, restSeconds * 1e9 / values);
  std::printf("  passes:%s   (checksum %u)\n", times.c_str(), best.checksum);
  kuv_bench::PrintTarget(values / best.seconds >= 20e6, ">= 20 million values/s");
  const std::int64_t expected = kuv_bench::DocumentStat(path, "values");
  const bool complete = expected < 0 || best.values == expected;
  if (!complete) {
    std::printf("  WARNING: the generator wrote %lld values\n", static_cast<long long>(expected));
  }
  KuvDetach();
  return complete ? 0 : 1;
}
