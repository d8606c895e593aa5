// The subcommands of the kuv tool. Each returns the exit status of a run
// that completed, and throws a ToolError for one that could not.
#ifndef KUV_TOOLS_COMMANDS_H_
#define KUV_TOOLS_COMMANDS_H_

#include <string>
#include <vector>

#include "kuv/text.hpp"

namespace kuv::tool {

struct ShowOptions {
  std::string file;
  bool definitions = false;  // each object's data description too
  Encoding encoding = Encoding::kCp1252;
};
int RunShow(const ShowOptions& options);

struct CheckOptions {
  std::vector<std::string> files;
  unsigned jobs = 1;            // files read at once
  bool strict = false;          // report what the library reads leniently too
  std::string format = "text";  // or "json"
  Encoding encoding = Encoding::kCp1252;
};
int RunCheck(const CheckOptions& options);

struct ExportOptions {
  std::vector<std::string> files;
  std::string format;          // "json", "csv" or "sqlite"
  std::string object;          // empty: every object (json) or the only one (csv)
  std::string table;           // csv only; empty: the object's only table, or each into a folder
  std::string units = "none";  // csv only: "none", "header" or "row"
  // One file: the output file, empty for standard output. Several files:
  // the folder that takes one output per file.
  std::string output;
  Encoding encoding = Encoding::kCp1252;
  unsigned jobs = 1;  // files exported at once
  // csv: every document's rows into one file per table (-o FILE.csv with
  // --table, else -o DIR/), behind the columns source and object
  bool combine = false;
};
int RunExport(const ExportOptions& options);

struct DiffRunOptions {
  std::string before;
  std::string after;
  std::vector<std::string> keys;  // "TABLE=FIELD"
  std::string tolerance;          // empty: exact text
  std::string format = "text";    // or "json"
  bool summary = false;           // counts only
  Encoding encoding = Encoding::kCp1252;
};
// 0 when the documents hold the same, 1 when they differ; a ToolError of
// status 2 for trouble.
int RunDiff(const DiffRunOptions& options);

struct ImportOptions {
  std::string file;
  std::string output;
  Encoding encoding = Encoding::kCp1252;
};
int RunImport(const ImportOptions& options);

struct ViewOptions {
  std::string file;
  std::string output;  // empty: FILE.html beside the document
  Encoding encoding = Encoding::kCp1252;
};
int RunView(const ViewOptions& options);

struct TemplateOptions {
  std::string path;  // empty: show the registered template
};
int RunTemplate(const TemplateOptions& options);

}  // namespace kuv::tool

#endif  // KUV_TOOLS_COMMANDS_H_
