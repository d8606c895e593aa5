// kuv check: reads each file and reports it, in the order given, however
// many are read at once: as text, one line per file (and one per problem
// with --strict), or as one JSON document.
#include <exception>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "commands.h"
#include "content_walk.h"
#include "failure_report.h"
#include "input_source.h"
#include "kuv/document.hpp"
#include "ordered_jobs.h"
#include "strict_check.h"
#include "template_registration.h"
#include "tool_error.h"

namespace kuv::tool {

namespace {

struct FileReport {
  std::string error;      // why the library could not read it; empty when read
  std::string errorLine;  // the same with the file named once, for the text report
  std::size_t objects = 0;
  long long values = 0;
  StrictReport strict;

  bool ok() const { return error.empty() && strict.findings.empty(); }
  std::size_t problems() const { return strict.findings.size() + strict.more; }
};

long long CountValues(const Document& document) {
  long long values = 0;
  for (const BusinessObject object : document.objects()) {
    ContentWalk walk(object);
    ContentEvent item;
    while (walk.Next(&item)) values += item.step == ContentStep::kValue;
  }
  return values;
}

std::string Plural(long long count, const std::string& one, const std::string& many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

std::string Counts(const FileReport& report) {
  return Plural(static_cast<long long>(report.objects), "object", "objects") + ", " +
         Plural(report.values, "value", "values");
}

// "object X, table T, row 3, field F: problem".
std::string Described(const Finding& finding, Encoding encoding) {
  std::string where;
  const auto add = [&](const std::string& part) { where += (where.empty() ? "" : ", ") + part; };
  if (!finding.object.empty()) add("object " + DecodeForDisplay(finding.object, encoding));
  if (!finding.table.empty()) add("table " + DecodeForDisplay(finding.table, encoding));
  if (finding.row > 0) add("row " + std::to_string(finding.row));
  if (!finding.field.empty()) add("field " + DecodeForDisplay(finding.field, encoding));
  return where.empty() ? finding.problem : where + ": " + finding.problem;
}

void PrintText(const std::string& file, const FileReport& report, Encoding encoding) {
  if (!report.error.empty()) {
    std::cout << report.errorLine << "\n";
    return;
  }
  for (const Finding& finding : report.strict.findings) {
    std::cout << file << ": " << Described(finding, encoding) << "\n";
  }
  if (report.strict.more > 0) {
    std::cout << file << ": and "
              << Plural(static_cast<long long>(report.strict.more), "more problem", "more problems")
              << "\n";
  }
  if (report.ok()) {
    std::cout << file << ": ok, " << Counts(report) << "\n";
  } else {
    std::cout << file << ": "
              << Plural(static_cast<long long>(report.problems()), "problem", "problems") << ", "
              << Counts(report) << "\n";
  }
}

nlohmann::json AsJson(const std::string& file, const FileReport& report, Encoding encoding) {
  nlohmann::json entry = {{"file", file}, {"ok", report.ok()}};
  if (!report.error.empty()) {
    entry["error"] = report.error;
    return entry;
  }
  entry["objects"] = report.objects;
  entry["values"] = report.values;
  nlohmann::json problems = nlohmann::json::array();
  for (const Finding& finding : report.strict.findings) {
    nlohmann::json problem = nlohmann::json::object();
    if (!finding.object.empty()) problem["object"] = DecodeForDisplay(finding.object, encoding);
    if (!finding.table.empty()) problem["table"] = DecodeForDisplay(finding.table, encoding);
    if (finding.row > 0) problem["row"] = finding.row;
    if (!finding.field.empty()) problem["field"] = DecodeForDisplay(finding.field, encoding);
    problem["problem"] = finding.problem;
    problems.push_back(std::move(problem));
  }
  entry["problems"] = std::move(problems);
  if (report.strict.more > 0) entry["moreProblems"] = report.strict.more;
  return entry;
}

}  // namespace

int RunCheck(const CheckOptions& options) {
  EnsureTemplateRegistered(std::cerr);
  // Definitions to compare against; a template that cannot be read is
  // said once, and the rest of the strict check still runs.
  std::optional<Template> definitions;
  if (options.strict) {
    try {
      definitions = OpenRegisteredTemplate();
    } catch (const std::exception& error) {
      std::cerr << "kuv: the template is not compared: " << error.what() << "\n";
    }
  }
  const bool json = options.format == "json";
  const std::vector<std::string>& files = options.files;
  std::vector<std::unique_ptr<FileReport>> reports(files.size());
  nlohmann::json all = nlohmann::json::array();
  bool allOk = true;
  RunOrderedJobs(
      files.size(), options.jobs,
      [&](std::size_t i) {
        auto report = std::make_unique<FileReport>();
        std::vector<ReadNote> notes;
        const Document document = OpenInputDocument(files[i], options.strict ? &notes : nullptr);
        report->objects = document.size();
        report->values = CountValues(document);
        if (options.strict) {
          report->strict = CheckStrictly(document, notes, definitions ? &*definitions : nullptr,
                                         options.encoding);
        }
        reports[i] = std::move(report);
      },
      [&](std::size_t i, const std::exception_ptr& failure) {
        if (failure) {
          const FailureReport failed = ReportFailureOf(files[i], failure);
          reports[i] = std::make_unique<FileReport>();
          reports[i]->error = failed.message;
          reports[i]->errorLine = failed.line;
        }
        allOk = allOk && reports[i]->ok();
        if (json) {
          all.push_back(AsJson(files[i], *reports[i], options.encoding));
        } else {
          PrintText(files[i], *reports[i], options.encoding);
          std::cout.flush();
        }
        reports[i].reset();
      });
  if (json) std::cout << nlohmann::json{{"files", std::move(all)}}.dump(2) << "\n";
  return allOk ? kExitSuccess : kExitDataError;
}

}  // namespace kuv::tool
