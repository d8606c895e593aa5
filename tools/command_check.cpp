// kuv check: reads each file and reports it, in the order given, however
// many are read at once: as text, one line per file (and one per problem
// with --strict), or as one JSON document.
#include <exception>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "commands.h"
#include "content_walk.h"
#include "failure_report.h"
#include "input_source.h"
#include "json_emitter.h"
#include "kuv/document.hpp"
#include "kuv/ordered_jobs.hpp"
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

// One file's entry of the JSON report. File names and messages are shown
// as UTF-8, whatever bytes they hold.
void WriteJson(JsonEmitter& json, const std::string& file, const FileReport& report,
               Encoding encoding) {
  json.BeginObject();
  json.Key("file");
  json.String(DecodeForDisplay(file, Encoding::kUtf8));
  json.Key("ok");
  json.Bool(report.ok());
  if (!report.error.empty()) {
    json.Key("error");
    json.String(DecodeForDisplay(report.error, Encoding::kUtf8));
    json.EndObject();
    return;
  }
  json.Key("objects");
  json.Number(static_cast<long long>(report.objects));
  json.Key("values");
  json.Number(report.values);
  json.Key("problems");
  json.BeginArray();
  for (const Finding& finding : report.strict.findings) {
    json.BeginObject();
    if (!finding.object.empty()) {
      json.Key("object");
      json.String(DecodeForDisplay(finding.object, encoding));
    }
    if (!finding.table.empty()) {
      json.Key("table");
      json.String(DecodeForDisplay(finding.table, encoding));
    }
    if (finding.row > 0) {
      json.Key("row");
      json.Number(static_cast<long long>(finding.row));
    }
    if (!finding.field.empty()) {
      json.Key("field");
      json.String(DecodeForDisplay(finding.field, encoding));
    }
    json.Key("problem");
    json.String(finding.problem);
    json.EndObject();
  }
  json.EndArray();
  if (report.strict.more > 0) {
    json.Key("moreProblems");
    json.Number(static_cast<long long>(report.strict.more));
  }
  json.EndObject();
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
  // The JSON report is written file by file, as the text one is.
  std::optional<JsonEmitter> report;
  if (json) {
    report.emplace(std::cout);
    report->BeginObject();
    report->Key("files");
    report->BeginArray();
  }
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
          WriteJson(*report, files[i], *reports[i], options.encoding);
          report->Flush();
        } else {
          PrintText(files[i], *reports[i], options.encoding);
        }
        std::cout.flush();
        reports[i].reset();
      });
  if (json) {
    report->EndArray();
    report->EndObject();
    report->EndDocument();
  }
  return allOk ? kExitSuccess : kExitDataError;
}

}  // namespace kuv::tool
