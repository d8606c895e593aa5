// Realistic well data for the benchmarks: each well gives a well header, a
// deviation survey, casing strings with cement stages and additives,
// formation tops, often a completion four tables deep, and mostly logs
// with curve descriptions and thousands of wide sample rows. The content is
// a pure function of the seed.
#ifndef KUV_BENCH_WELL_CORPUS_H_
#define KUV_BENCH_WELL_CORPUS_H_

#include <cstdint>
#include <vector>

#include "document_sink.h"
#include "random.h"

namespace kuv_bench {

class WellCorpus {
 public:
  explicit WellCorpus(std::uint64_t seed) : random_(seed) {}

  // Sends every business object of the next well to sink.
  void EmitWell(DocumentSink& sink);

  // One description per kind of object, named by the kind, declaring every
  // table and field an object of that kind may use: a template's content.
  static std::vector<ObjectDescription> Kinds();

 private:
  struct Well;

  ObjectDescription Header(const char* kind, const Well& well, int serial);
  void EmitWellHeader(DocumentSink& sink, const Well& well);
  void EmitSurvey(DocumentSink& sink, const Well& well);
  void EmitCasing(DocumentSink& sink, const Well& well);
  void EmitFormationTops(DocumentSink& sink, const Well& well);
  void EmitCompletion(DocumentSink& sink, const Well& well);
  void EmitLog(DocumentSink& sink, const Well& well, int run);

  Random random_;
  int wellCount_ = 0;
};

}  // namespace kuv_bench

#endif  // KUV_BENCH_WELL_CORPUS_H_
