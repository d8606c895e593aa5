// Writes a realistic well-data document of about the requested size, and
// optionally a template describing every kind of object in it.
//
//   kuv_generate_document --out doc.kuv [--size-mb 100] [--seed 1]
//                         [--template Standard.kvt] [--change-percent 1]
//
// With --change-percent, the document is the one the same seed gives with
// that share of its values changed (not the fields that begin rows): a
// second version of it, for kuv diff.
// Sizes are in MB of 1,000,000 bytes. Next to the document goes doc.kuv.stats
// with its counts (objects, tables, values, bytes), which the benchmarks use
// to check that they saw the whole document.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "changing_sink.h"
#include "document_file_writer.h"
#include "well_corpus.h"

namespace {

struct Options {
  std::string out;
  std::string templatePath;
  double sizeMb = 100;
  unsigned long long seed = 1;
  double changePercent = 0;
};

bool ParseOptions(int argc, char** argv, Options* options) {
  for (int i = 1; i < argc; ++i) {
    const char* name = argv[i];
    const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
    if (value == nullptr) return false;
    if (std::strcmp(name, "--out") == 0) {
      options->out = value;
    } else if (std::strcmp(name, "--template") == 0) {
      options->templatePath = value;
    } else if (std::strcmp(name, "--size-mb") == 0) {
      options->sizeMb = std::atof(value);
    } else if (std::strcmp(name, "--change-percent") == 0) {
      options->changePercent = std::atof(value);
    } else if (std::strcmp(name, "--seed") == 0) {
      options->seed = std::strtoull(value, nullptr, 10);
    } else {
      return false;
    }
    ++i;
  }
  return !(options->out.empty() && options->templatePath.empty()) && options->sizeMb > 0 &&
         options->changePercent >= 0 && options->changePercent <= 100;
}

bool WriteTemplate(const std::string& path) {
  kuv_bench::DocumentFileWriter writer(path, "3.61");
  if (!writer.opened()) return false;
  for (const kuv_bench::ObjectDescription& kind : kuv_bench::WellCorpus::Kinds()) {
    writer.BeginObject(kind);
    writer.EndObject();
  }
  return writer.Finish();
}

bool WriteDocument(const Options& options) {
  kuv_bench::DocumentFileWriter writer(options.out, "2.0");
  if (!writer.opened()) return false;
  kuv_bench::WellCorpus corpus(options.seed);
  // The changes draw from a generator of their own, so that the content
  // drawn from the seed is the same as without them.
  kuv_bench::ChangingSink changing(writer, options.changePercent / 100, options.seed ^ 0x5EED);
  kuv_bench::DocumentSink& sink =
      options.changePercent > 0 ? static_cast<kuv_bench::DocumentSink&>(changing) : writer;
  const auto target = static_cast<std::int64_t>(options.sizeMb * 1e6);
  while (writer.size() < target) corpus.EmitWell(sink);
  if (!writer.Finish()) return false;

  const kuv_bench::DocumentCounts& counts = writer.counts();
  std::ofstream stats(options.out + ".stats");
  stats << "objects " << counts.objects << "\ntables " << counts.tables << "\nvalues "
        << counts.values << "\nbytes " << counts.bytes << "\n";
  std::printf("wrote %s: %lld bytes, %lld business objects, %lld tables, %lld values",
              options.out.c_str(), static_cast<long long>(counts.bytes),
              static_cast<long long>(counts.objects), static_cast<long long>(counts.tables),
              static_cast<long long>(counts.values));
  if (options.changePercent > 0) {
    std::printf(", %lld of them changed", static_cast<long long>(changing.changed()));
  }
  std::printf("\n");
  return static_cast<bool>(stats.flush());
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, &options)) {
    std::fprintf(stderr,
                 "usage: %s --out FILE [--size-mb MB] [--seed N] [--template FILE] "
                 "[--change-percent P]\n",
                 argv[0]);
    return 2;
  }
  if (!options.templatePath.empty()) {
    if (!WriteTemplate(options.templatePath)) {
      std::fprintf(stderr, "cannot write %s\n", options.templatePath.c_str());
      return 1;
    }
    std::printf("wrote template %s\n", options.templatePath.c_str());
  }
  if (!options.out.empty() && !WriteDocument(options)) {
    std::fprintf(stderr, "cannot write %s\n", options.out.c_str());
    return 1;
  }
  return 0;
}
