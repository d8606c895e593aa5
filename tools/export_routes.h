// The exports that take tables from several objects or documents together
// rather than one object at a time: CSV across objects and files, and an
// SQLite archive. Each returns the exit status of a run that completed and
// throws a ToolError for one that could not.
#ifndef KUV_TOOLS_EXPORT_ROUTES_H_
#define KUV_TOOLS_EXPORT_ROUTES_H_

#include <string>
#include <string_view>

#include "commands.h"
#include "csv_writer.h"
#include "kuv/document.hpp"
#include "tool_error.h"

namespace kuv::tool {

// --format sqlite: every document into the database -o names.
int ExportSqlite(const ExportOptions& options);

// --format csv --combine: the rows of every document in one file per
// table, behind the columns source and object.
int ExportCombined(const ExportOptions& options);

// CSV of a document of several objects, without --object: the table
// --table names from every object that holds it, behind an object column,
// to output; without --table, into a folder (intoFolder), one file per
// table, named like output with the table's name before ".csv".
void ExportObjectsCsv(const Document& document, const std::string& file, const std::string& output,
                      bool intoFolder, const ExportOptions& options);

// A table's name as a part of a file name: what a file system refuses or
// a shell would misread becomes "_".
std::string FileNamePart(std::string_view table, Encoding encoding);

// Where --units puts the units.
CsvUnits UnitsOf(const ExportOptions& options);

}  // namespace kuv::tool

#endif  // KUV_TOOLS_EXPORT_ROUTES_H_
