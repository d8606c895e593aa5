// kuv export: a document as JSON (everything) or one table as CSV.
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "commands.h"
#include "csv_writer.h"
#include "file_output.h"
#include "json_writer.h"
#include "kuv/document.hpp"
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
                std::ostream& out) {
  JsonDocumentWriter writer(out, options.encoding);
  if (!options.object.empty()) {
    writer.WriteObject(ChosenObject(document, file, options));
  } else {
    ProgressBar progress("exporting", static_cast<long long>(document.size()));
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
void ExportOne(const std::string& file, const std::string& output, const ExportOptions& options) {
  const Document document = Document::Open(file);
  FileOutput target(output);
  if (options.format == "csv") {
    ExportCsv(document, file, options, target.stream());
  } else {
    ExportJson(document, file, options, target.stream());
  }
  target.Commit();
}

}  // namespace

int RunExport(const ExportOptions& options) {
  if (options.format == "json" && !options.table.empty()) {
    throw UsageError("--table applies to --format csv only");
  }
  EnsureTemplateRegistered(std::cerr);
  ExportOne(options.file, options.output, options);
  return kExitSuccess;
}

}  // namespace kuv::tool
