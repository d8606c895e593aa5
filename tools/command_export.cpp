// kuv export: a document as JSON (everything) or one table as CSV; several
// documents at once into a folder, one output each.
#include <algorithm>
#include <exception>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "batch_outputs.h"
#include "commands.h"
#include "csv_writer.h"
#include "file_output.h"
#include "input_source.h"
#include "json_writer.h"
#include "kuv/document.hpp"
#include "ordered_jobs.h"
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
  if (!object) throw DataError("no object '" + options.object + "' in " + file);
  return *object;
}

void ExportJson(const Document& document, const std::string& file, const ExportOptions& options,
                bool showProgress, std::ostream& out) {
  JsonDocumentWriter writer(out, options.encoding);
  if (!options.object.empty()) {
    writer.WriteObject(ChosenObject(document, file, options));
  } else {
    ProgressBar progress("exporting", showProgress ? static_cast<long long>(document.size()) : 0);
    long long done = 0;
    for (const BusinessObject object : document.objects()) {
      writer.WriteObject(object);
      progress.Update(++done);
    }
  }
  writer.Finish();
}

void ExportCsv(const Document& document, const std::string& file, const ExportOptions& options,
               std::ostream& out) {
  std::optional<BusinessObject> object;
  if (!options.object.empty()) {
    object = ChosenObject(document, file, options);
  } else {
    if (document.size() == 0) throw DataError(file + " holds no object");
    if (document.size() > 1) {
      std::vector<std::string> ids;
      for (const BusinessObject each : document.objects()) ids.emplace_back(each.id());
      throw UsageError(file + " holds several objects; choose one with --object (" +
                       Listed(ids, options.encoding) + ")");
    }
    object = document.objects()[0];
  }

  std::string table;
  if (!options.table.empty()) {
    std::optional<std::string> bytes = EncodeText(options.table, options.encoding);
    table = bytes ? *bytes : options.table;
  } else {
    const std::vector<std::string> names = TableNames(*object);
    const std::string id = DecodeForDisplay(object->id(), options.encoding);
    if (names.empty()) throw DataError("object '" + id + "' holds no table");
    if (names.size() > 1) {
      throw UsageError("object '" + id + "' holds several tables; choose one with --table (" +
                       Listed(names, options.encoding) + ")");
    }
    table = names.front();
  }
  WriteCsvTable(out, *object, table, options.encoding);
}

// Exports one document to output (empty for standard output), which
// appears only once it is complete.
void ExportOne(const std::string& file, const std::string& output, const ExportOptions& options,
               bool showProgress) {
  const Document document = OpenInputDocument(file);
  FileOutput target(output);
  if (options.format == "csv") {
    ExportCsv(document, file, options, target.stream());
  } else {
    ExportJson(document, file, options, showProgress, target.stream());
  }
  target.Commit();
}

// Says why one file of a batch failed; the exit status it calls for.
ExitStatus ReportFailure(const std::string& file, const std::exception_ptr& failure) {
  try {
    std::rethrow_exception(failure);
  } catch (const ToolError& error) {
    std::cerr << "kuv: " << file << ": " << error.what() << "\n";
    return error.status();
  } catch (const std::exception& error) {
    std::cerr << "kuv: " << file << ": " << error.what() << "\n";
  }
  return kExitDataError;
}

int ExportBatch(const ExportOptions& options) {
  const std::vector<std::string>& files = options.files;
  const std::vector<std::string> outputs =
      BatchOutputPaths(files, options.output, "." + options.format);
  EnsureTemplateRegistered(std::cerr);
  ProgressBar progress("exporting", static_cast<long long>(files.size()));
  int status = kExitSuccess;
  RunOrderedJobs(
      files.size(), options.jobs,
      [&](std::size_t i) { ExportOne(files[i], outputs[i], options, false); },
      [&](std::size_t i, const std::exception_ptr& failure) {
        if (failure) {
          progress.Clear();
          status = std::max<int>(status, ReportFailure(files[i], failure));
        }
        progress.Update(static_cast<long long>(i) + 1);
      });
  return status;
}

}  // namespace

int RunExport(const ExportOptions& options) {
  if (options.format == "json" && !options.table.empty()) {
    throw UsageError("--table applies to --format csv only");
  }
  // A glob that matches one document still writes into the folder named.
  std::error_code ignored;
  if (options.files.size() > 1 ||
      (!options.output.empty() && std::filesystem::is_directory(options.output, ignored))) {
    return ExportBatch(options);
  }
  EnsureTemplateRegistered(std::cerr);
  ExportOne(options.files.front(), options.output, options, true);
  return kExitSuccess;
}

}  // namespace kuv::tool
