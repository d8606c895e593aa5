// kuv diff: what changed between two versions of a document. The exit
// status is diff(1)'s: 0 the same, 1 different, 2 trouble (a document that
// does not read, a bad option, output that cannot be written).
#include <array>
#include <exception>
#include <iostream>
#include <optional>
#include <string>

#include "commands.h"
#include "diff_report.h"
#include "input_source.h"
#include "kuv/diff.hpp"
#include "kuv/ordered_jobs.hpp"
#include "tool_error.h"

namespace kuv::tool {

namespace {

constexpr ExitStatus kDiffTrouble = kExitUsageError;  // 2, as diff(1) says trouble

std::string Encoded(const std::string& text, Encoding encoding, const std::string& what) {
  std::optional<std::string> bytes = EncodeText(text, encoding);
  if (!bytes) {
    throw UsageError(what + " '" + text + "' has a character that " + NameOf(encoding) +
                     " cannot hold: " + FirstUnencodable(text, encoding));
  }
  return std::move(*bytes);
}

DiffOptions LibraryOptions(const DiffRunOptions& options) {
  DiffOptions library;
  for (const std::string& key : options.keys) {
    const std::size_t equals = key.find('=');
    if (equals == std::string::npos || equals == 0 || equals + 1 == key.size()) {
      throw UsageError("--key takes TABLE=FIELD, not '" + key + "'");
    }
    const std::string table = Encoded(key.substr(0, equals), options.encoding, "--key");
    const std::string field = Encoded(key.substr(equals + 1), options.encoding, "--key");
    if (!library.keys.emplace(table, field).second) {
      throw UsageError("--key names table '" + key.substr(0, equals) + "' twice");
    }
  }
  if (!options.tolerance.empty()) {
    library.tolerance = ParseTolerance(options.tolerance);
    if (!library.tolerance) {
      throw UsageError(
          "--tolerance takes a number that is not negative, or a percentage (0.001, "
          "0.5%), not '" +
          options.tolerance + "'");
    }
  }
  return library;
}

int Compare(const DiffRunOptions& options) {
  const DiffOptions library = LibraryOptions(options);
  // Both documents are read at once, each on a thread of its own.
  const std::array<std::string, 2> paths = {options.before, options.after};
  std::array<std::optional<Document>, 2> documents;
  RunOrderedJobs(
      2, 2, [&](std::size_t i) { documents[i].emplace(OpenInputDocument(paths[i])); },
      [&](std::size_t i, const std::exception_ptr& failure) {
        if (!failure) return;
        try {
          std::rethrow_exception(failure);
        } catch (const std::exception& error) {
          throw ToolError(kDiffTrouble, paths[i] + ": " + error.what());
        }
      });

  DiffReport report(std::cout, options.format == "json" ? DiffFormat::kJson : DiffFormat::kText,
                    options.summary, options.encoding, options.before, options.after);
  Diff(*documents[0], *documents[1], library,
       [&](const Difference& difference) { report.Add(difference); });
  report.Finish();
  return report.same() ? kExitSuccess : kExitDataError;
}

}  // namespace

int RunDiff(const DiffRunOptions& options) {
  if (IsStandardStream(options.before) && IsStandardStream(options.after)) {
    throw ToolError(kDiffTrouble, "only one of the documents can come from standard input");
  }
  try {
    return Compare(options);
  } catch (const std::exception& error) {
    throw ToolError(kDiffTrouble, error.what());
  }
}

}  // namespace kuv::tool
