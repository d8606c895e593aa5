// Writes what kuv diff found, as it is found: lines as people read a diff,
// or JSON for programs; with --summary, the counts alone.
//
//   ~ CasingStrings / Casing[Name=Surface] / OD: 20.000 → 20.001
//   + CasingStrings / Casing[Name=Liner]: row (Name=Liner, OD=7.000)
//   - WellLog: object
//
// "+" marks what only the second document holds, "-" what only the first
// holds, "~" what both hold differently.
#ifndef KUV_TOOLS_DIFF_REPORT_H_
#define KUV_TOOLS_DIFF_REPORT_H_

#include <array>
#include <ostream>
#include <string>

#include "kuv/diff.hpp"
#include "kuv/text.hpp"

namespace kuv::tool {

enum class DiffFormat { kText, kJson };

class DiffReport {
 public:
  // before and after are the documents' paths, for the JSON.
  DiffReport(std::ostream& out, DiffFormat format, bool summaryOnly, Encoding encoding,
             const std::string& before, const std::string& after);

  void Add(const Difference& difference);
  // Writes the summary (with --summary or in JSON) and flushes.
  void Finish();
  bool same() const { return total_ == 0; }

  struct PartCounts;

 private:
  // "3 added, 1 removed", or the same as JSON members.
  std::string CountsOf(const PartCounts& part, bool json) const;
  void WriteText(const Difference& difference);
  void WriteJson(const Difference& difference);
  std::string Text(const std::string& bytes) const;  // UTF-8, for the terminal
  std::string Json(const std::string& bytes) const;  // a JSON string

  std::ostream& out_;
  DiffFormat format_;
  bool summaryOnly_;
  Encoding encoding_;
  std::string line_;  // reused
  long long total_ = 0;
  // By part, then change.
  std::array<std::array<long long, 3>, 7> counts_{};
};

}  // namespace kuv::tool

#endif  // KUV_TOOLS_DIFF_REPORT_H_
