// kuv export: a document as JSON (everything) or one table as CSV; several
// documents at once into a folder, one output each.
#include <algorithm>
#include <exception>
#include <filesystem>
#include <iostream>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "batch_outputs.h"
#include "commands.h"
#include "content_walk.h"
#include "csv_writer.h"
#include "export_routes.h"
#include "failure_report.h"
#include "file_output.h"
#include "input_source.h"
#include "json_writer.h"
#include "kuv/document.hpp"
#include "kuv/ordered_jobs.hpp"
#include "progress_bar.h"
#include "template_registration.h"
#include "tool_error.h"

namespace kuv::tool {

namespace {

std::string Listed(const std::vector<std::string>& names, Encoding encoding) {
  std::string list;
  for (const std::string& name : names) {
    if (!list.empty()) list += ", ";
    list += DecodeForDisplay(name, encoding);
  }
  return list;
}

// The object that --object names. An ID the encoding cannot hold names no
// object of the document.
BusinessObject ChosenObject(const Document& document, const std::string& file,
                            const ExportOptions& options) {
  const std::optional<std::string> id = EncodeText(options.object, options.encoding);
  std::optional<BusinessObject> object;
  if (id) object = document.Find(*id);
  if (!object) throw FileError(kExitDataError, file, "has no object '" + options.object + "'");
  return *object;
}

long long CountValues(const BusinessObject& object) {
  long long values = 0;
  ContentWalk walk(object);
  ContentEvent item;
  while (walk.Next(&item)) values += item.step == ContentStep::kValue;
  return values;
}

// The bar follows the values written, whatever objects hold them.
void ExportJson(const Document& document, const std::string& file, const ExportOptions& options,
                ProgressBar& progress, std::ostream& out) {
  JsonDocumentWriter writer(out, options.encoding);
  writer.set_progress(&progress);
  if (!options.object.empty()) {
    const BusinessObject object = ChosenObject(document, file, options);
    progress.Step("exporting", CountValues(object));
    writer.WriteObject(object);
  } else {
    long long total = 0;
    for (const BusinessObject object : document.objects()) total += CountValues(object);
    progress.Step("exporting", total);
    for (const BusinessObject object : document.objects()) writer.WriteObject(object);
  }
  writer.Finish();
}

}  // namespace

CsvUnits UnitsOf(const ExportOptions& options) {
  if (options.units == "header") return CsvUnits::kHeader;
  if (options.units == "row") return CsvUnits::kRow;
  return CsvUnits::kNone;
}

std::string FileNamePart(std::string_view table, Encoding encoding) {
  std::string name = DecodeForDisplay(table, encoding);
  for (char& c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F ||
        std::string_view("/\\:*?\"<>|").find(c) != std::string_view::npos) {
      c = '_';
    }
  }
  if (name.empty() || name == "." || name == "..") name = "_";
  return name;
}

namespace {

// The object CSV is written from: the one --object names, else the only one.
BusinessObject CsvObject(const Document& document, const std::string& file,
                         const ExportOptions& options) {
  if (!options.object.empty()) return ChosenObject(document, file, options);
  if (document.size() == 0) throw FileError(kExitDataError, file, "holds no object");
  return document.objects()[0];
}

// Writes the table --table names, or the object's only table, to output;
// without --table, an object of several tables into a folder gives one
// file per table, named like output with the table's name before ".csv".
void ExportCsv(const Document& document, const std::string& file, const std::string& output,
               bool intoFolder, const ExportOptions& options) {
  // Several objects without --object: the table of each that holds it.
  if (options.object.empty() && document.size() > 1) {
    ExportObjectsCsv(document, file, output, intoFolder, options);
    return;
  }
  const BusinessObject object = CsvObject(document, file, options);
  const CsvUnits units = UnitsOf(options);
  std::vector<std::string> tables;
  if (!options.table.empty()) {
    std::optional<std::string> bytes = EncodeText(options.table, options.encoding);
    tables.push_back(bytes ? *bytes : options.table);
  } else {
    tables = TableNames(object);
    const std::string id = DecodeForDisplay(object.id(), options.encoding);
    if (tables.empty()) throw DataError("object '" + id + "' holds no table");
    if (tables.size() > 1 && !intoFolder) {
      throw UsageError("object '" + id + "' holds several tables; choose one with --table (" +
                       Listed(tables, options.encoding) +
                       "), or write each to a file of its own with -o FOLDER");
    }
  }
  if (tables.size() == 1) {
    FileOutput target(output);
    WriteCsvTable(target.stream(), object, tables.front(), options.encoding, units);
    target.Commit();
    return;
  }
  // One file per table; each appears once it is complete.
  const std::string stem = output.substr(0, output.size() - std::string(".csv").size());
  std::set<std::string> used;
  for (const std::string& table : tables) {
    std::string name = stem + "." + FileNamePart(table, options.encoding);
    for (int n = 2; !used.insert(name).second; ++n) {
      name = stem + "." + FileNamePart(table, options.encoding) + "-" + std::to_string(n);
    }
    FileOutput target(name + ".csv");
    WriteCsvTable(target.stream(), object, table, options.encoding, units);
    target.Commit();
  }
}

// Exports one document to output (empty for standard output), which
// appears only once it is complete. In a batch, output is a path in the
// folder and CSV may become one file per table.
void ExportOne(const std::string& file, const std::string& output, const ExportOptions& options,
               bool showProgress, bool intoFolder) {
  ProgressBar progress("reading", 0, showProgress);
  const Document document = OpenInputDocument(file);
  if (options.format == "csv") {
    progress.Step("exporting", 0);
    ExportCsv(document, file, output, intoFolder, options);
    return;
  }
  FileOutput target(output);
  ExportJson(document, file, options, progress, target.stream());
  progress.Step("writing", 0);
  target.Commit();
}

int ExportBatch(const ExportOptions& options) {
  const std::vector<std::string>& files = options.files;
  const std::vector<std::string> outputs =
      BatchOutputPaths(files, options.output, "." + options.format);
  const OutputFolder folder(options.output);
  EnsureTemplateRegistered(std::cerr);
  ProgressBar progress("exporting", static_cast<long long>(files.size()));
  int status = kExitSuccess;
  RunOrderedJobs(
      files.size(), options.jobs,
      [&](std::size_t i) { ExportOne(files[i], outputs[i], options, false, true); },
      [&](std::size_t i, const std::exception_ptr& failure) {
        if (failure) {
          progress.Clear();
          status = std::max<int>(status, SayFailure(std::cerr, files[i], failure));
        }
        progress.Update(static_cast<long long>(i) + 1);
      });
  return status;
}

}  // namespace

int RunExport(const ExportOptions& options) {
  if (options.format == "sqlite") return ExportSqlite(options);
  if (options.combine) return ExportCombined(options);
  if (options.format == "json" && !options.table.empty()) {
    throw UsageError("--table applies to --format csv only");
  }
  if (options.format == "json" && options.units != "none") {
    throw UsageError("--units applies to --format csv only");
  }
  // A glob that matches one document still writes into the folder named;
  // a name ending in "/" is a folder, made when missing.
  std::error_code ignored;
  if (options.files.size() > 1 ||
      (!options.output.empty() &&
       (std::filesystem::is_directory(options.output, ignored) || options.output.back() == '/'))) {
    return ExportBatch(options);
  }
  EnsureTemplateRegistered(std::cerr);
  ExportOne(options.files.front(), options.output, options, true, false);
  return kExitSuccess;
}

}  // namespace kuv::tool
