// Building: a document of a million values made the way a host makes one,
// with KuvCreateObject, KuvCreateTableDef and KuvCreateFieldDef per object
// and one KuvPutValue per value (tables, child tables four deep, wide
// rows), then KuvSave. The calls are recorded from the generator before
// timing. Each run starts from a freshly attached, empty library.
//
//   kuv_bench_build [--values 1000000] [--runs 5] [--seed 7] [--out-dir DIR]
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "harness.h"
#include "kuv/kuv.h"
#include "put_recorder.h"
#include "well_corpus.h"

namespace {

struct BuildRun {
  double seconds = 0;
  double declareSeconds = 0;  // objects and definitions, within seconds
  std::int64_t refused = 0;   // calls that returned 0
};

BuildRun Build(const kuv_bench::PutRecorder& recording) {
  BuildRun run;
  const std::vector<kuv_bench::PutCall>& calls = recording.calls();
  const kuv_bench::Clock::time_point start = kuv_bench::Clock::now();
  for (const kuv_bench::RecordedObject& object : recording.objects()) {
    const kuv_bench::Clock::time_point declareStart = kuv_bench::Clock::now();
    const kuv_bench::ObjectDescription& header = object.description;
    if (KuvCreateObject(header.id.c_str(), header.author.c_str(), header.version.c_str(),
                        header.wellId.c_str()) != 1) {
      ++run.refused;
    }
    for (const kuv_bench::TableDef& def : header.tables) {
      if (KuvCreateTableDef(def.table.c_str(), def.parent.c_str()) != 1) ++run.refused;
    }
    for (const kuv_bench::FieldDef& def : header.fields) {
      if (KuvCreateFieldDef(def.table.c_str(), def.field.c_str(), def.unit.c_str(),
                            def.type.c_str()) != 1) {
        ++run.refused;
      }
    }
    run.declareSeconds += kuv_bench::SecondsSince(declareStart);
    for (std::size_t i = object.firstCall; i < object.endCall; ++i) {
      if (KuvPutValue(calls[i].table, calls[i].field, calls[i].value) != 1) ++run.refused;
    }
  }
  run.seconds = kuv_bench::SecondsSince(start);
  return run;
}

// Reads the saved document back and counts its values.
std::int64_t CountValuesIn(const std::string& path) {
  char* message = nullptr;
  if (KuvOpen(path.c_str(), &message, 0) != 1) return -1;
  char *id, *author, *version, *wellId, *date;
  char *table, *field, *type, *unit, *value, *parentTable;
  int rowIndex = 0;
  std::int64_t values = 0;
  while (KuvGetNextObject(&id, &author, &version, &wellId, &date) == 1) {
    while (KuvGetNextValue(&table, &field, &type, &unit, &value, &parentTable, &rowIndex) == 1) {
      ++values;
    }
  }
  return values;
}

}  // namespace

int main(int argc, char** argv) {
  const kuv_bench::Arguments arguments(argc, argv);
  const std::int64_t valueLimit = std::max<std::int64_t>(1, arguments.Number("--values", 1000000));
  const int runs = static_cast<int>(std::max<std::int64_t>(1, arguments.Number("--runs", 5)));
  const std::string folder = arguments.Text("--out-dir", ".");
  const std::string savedPath = folder + "/kuv-bench-built.kuv";

  kuv_bench::PutRecorder recording(valueLimit);
  kuv_bench::WellCorpus corpus(static_cast<std::uint64_t>(arguments.Number("--seed", 7)));
  while (!recording.full()) corpus.EmitWell(recording);
  recording.Finish();
  const auto values = static_cast<double>(recording.calls().size());

  BuildRun best;
  best.seconds = 1e300;
  double bestSave = 1e300;
  std::string buildTimes;
  std::string saveTimes;
  std::int64_t savedBytes = 0;
  for (int run = 0; run < runs; ++run) {
    KuvDetach();  // an empty data store for every run
    if (!kuv_bench::AttachLibrary()) return 1;
    const BuildRun built = Build(recording);
    if (built.refused != 0) {
      std::fprintf(stderr, "%lld calls were refused while building\n",
                   static_cast<long long>(built.refused));
      return 1;
    }
    ::unlink(savedPath.c_str());
    char* message = nullptr;
    int saved = 0;
    const double saveSeconds =
        kuv_bench::TimeSeconds([&] { saved = KuvSave(savedPath.c_str(), &message); });
    if (saved != 1) {
      std::fprintf(stderr, "KuvSave failed: %s\n", message != nullptr ? message : "");
      return 1;
    }
    savedBytes = kuv_bench::FileSize(savedPath);
    if (built.seconds < best.seconds) best = built;
    bestSave = std::min(bestSave, saveSeconds);
    buildTimes += " " + kuv_bench::SecondsText(built.seconds);
    saveTimes += " " + kuv_bench::SecondsText(saveSeconds);
  }
  const std::int64_t readBack = CountValuesIn(savedPath);
  ::unlink(savedPath.c_str());
  KuvDetach();

  kuv_bench::PrintHeading("Building " + std::to_string(recording.calls().size()) + " values in " +
                          std::to_string(recording.objects().size()) +
                          " business objects, best of " + std::to_string(runs) + " runs");
  std::printf("  %-34s %7.3f s  %6.1f ns per value   runs:%s\n", "KuvCreateObject/...Def/PutValue",
              best.seconds, best.seconds * 1e9 / values, buildTimes.c_str());
  std::printf("  %-34s %7.3f s  (objects and definitions)\n", "  of which declarations",
              best.declareSeconds);
  std::printf("  %-34s %7.3f s  %6.1f ns per value  %7.1f MB/s (%s)   runs:%s\n", "KuvSave",
              bestSave, bestSave * 1e9 / values, static_cast<double>(savedBytes) / 1e6 / bestSave,
              kuv_bench::Megabytes(savedBytes).c_str(), saveTimes.c_str());
  std::printf("  values read back from the saved document: %lld\n",
              static_cast<long long>(readBack));
  kuv_bench::PrintTarget(best.seconds * 1e9 / values <= 100, "building <= 100 ns per value");
  return readBack == static_cast<std::int64_t>(recording.calls().size()) ? 0 : 1;
}
