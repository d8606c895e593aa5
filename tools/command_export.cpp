// kuv export: a document as JSON (everything) or one table as CSV.
#include <iostream>
#include <string>
#include <vector>

#include "commands.h"
#include "content_reader.h"
#include "csv_writer.h"
#include "file_output.h"
#include "json_writer.h"
#include "progress_bar.h"
#include "session.h"
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

// The ID as the document holds it; an ID the encoding cannot hold names no
// object of the document.
std::string DocumentId(const std::string& id, const std::string& file, Encoding encoding) {
  std::optional<std::string> bytes = EncodeText(id, encoding);
  if (!bytes) throw DataError("no object '" + id + "' in " + file);
  return *bytes;
}

// Reads the object that --object names.
void SelectOrThrow(const KuvLibrary& kuv, const ExportOptions& options, ObjectContent* object) {
  if (!SelectObject(kuv, DocumentId(options.object, options.file, options.encoding),
                    &object->header)) {
    throw DataError("no object '" + options.object + "' in " + options.file);
  }
  ReadCurrentObject(kuv, object);
}

void ExportJson(Session& session, const ExportOptions& options, std::ostream& out) {
  const KuvLibrary& kuv = session.kuv();
  JsonDocumentWriter writer(out, options.encoding);
  ObjectContent object;
  if (!options.object.empty()) {
    SelectOrThrow(kuv, options, &object);
    writer.WriteObject(object);
  } else {
    ProgressBar progress("exporting", session.ObjectCount());
    long long done = 0;
    while (ReadNextObject(kuv, &object)) {
      writer.WriteObject(object);
      progress.Update(++done);
    }
  }
  writer.Finish();
}

void ExportCsv(Session& session, const ExportOptions& options, std::ostream& out) {
  const KuvLibrary& kuv = session.kuv();
  ObjectContent object;
  if (!options.object.empty()) {
    SelectOrThrow(kuv, options, &object);
  } else {
    std::vector<std::string> ids;
    ObjectHeader header;
    while (ReadNextHeader(kuv, &header)) ids.push_back(header.id);
    if (ids.empty()) throw DataError(options.file + " holds no object");
    if (ids.size() > 1) {
      throw UsageError(options.file + " holds several objects; choose one with --object (" +
                       Listed(ids, options.encoding) + ")");
    }
    ReadNextObject(kuv, &object);
  }

  std::string table;
  if (!options.table.empty()) {
    std::optional<std::string> bytes = EncodeText(options.table, options.encoding);
    table = bytes ? *bytes : options.table;
  } else {
    const std::vector<std::string> names = TableNames(object);
    const std::string id = DecodeForDisplay(object.header.id, options.encoding);
    if (names.empty()) throw DataError("object '" + id + "' holds no table");
    if (names.size() > 1) {
      throw UsageError("object '" + id + "' holds several tables; choose one with --table (" +
                       Listed(names, options.encoding) + ")");
    }
    table = names.front();
  }
  WriteCsvTable(out, object, table, options.encoding);
}

}  // namespace

int RunExport(const ExportOptions& options) {
  if (options.format == "json" && !options.table.empty()) {
    throw UsageError("--table applies to --format csv only");
  }
  Session session(std::cerr);
  session.Open(options.file);
  FileOutput output(options.output);
  if (options.format == "csv") {
    ExportCsv(session, options, output.stream());
  } else {
    ExportJson(session, options, output.stream());
  }
  output.Commit();
  return kExitSuccess;
}

}  // namespace kuv::tool
