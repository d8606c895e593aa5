// The subcommands of the kuv tool. Each returns the exit status of a run
// that completed, and throws a ToolError for one that could not.
#ifndef KUV_TOOLS_COMMANDS_H_
#define KUV_TOOLS_COMMANDS_H_

#include <string>
#include <vector>

#include "text_encoding.h"

namespace kuv::tool {

struct ShowOptions {
  std::string file;
  Encoding encoding = Encoding::kCp1252;
};
int RunShow(const ShowOptions& options);

struct CheckOptions {
  std::vector<std::string> files;
};
int RunCheck(const CheckOptions& options);

struct ExportOptions {
  std::string file;
  std::string format;  // "json" or "csv"
  std::string object;  // empty: every object (json) or the only one (csv)
  std::string table;   // csv only; empty: the object's only table
  std::string output;  // empty: standard output
  Encoding encoding = Encoding::kCp1252;
};
int RunExport(const ExportOptions& options);

struct ImportOptions {
  std::string file;
  std::string output;
  Encoding encoding = Encoding::kCp1252;
};
int RunImport(const ImportOptions& options);

struct TemplateOptions {
  std::string path;  // empty: show the registered template
};
int RunTemplate(const TemplateOptions& options);

}  // namespace kuv::tool

#endif  // KUV_TOOLS_COMMANDS_H_
