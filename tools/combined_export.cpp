// kuv export --format csv across objects and files: a table from every
// object that holds it, and with --combine from every document, into one
// file per table. Documents are read on --jobs threads and joined in the
// order given, so that the output is the same bytes whatever the jobs.
#include <algorithm>
#include <filesystem>
#include <iostream>
#include <optional>
#include <set>
#include <string>
#include <system_error>
#include <vector>

#include "combined_csv.h"
#include "export_routes.h"
#include "failure_report.h"
#include "file_output.h"
#include "input_source.h"
#include "kuv/ordered_jobs.hpp"
#include "progress_bar.h"
#include "template_registration.h"

namespace kuv::tool {

namespace fs = std::filesystem;

namespace {

std::optional<std::string> Encoded(const std::string& text, Encoding encoding, const char* option) {
  if (text.empty()) return std::nullopt;
  std::optional<std::string> bytes = EncodeText(text, encoding);
  if (!bytes) {
    throw UsageError(std::string(option) + " '" + text + "' has a character that " +
                     NameOf(encoding) + " cannot hold: " + FirstUnencodable(text, encoding));
  }
  return bytes;
}

// File names for the tables, one each: names that only a case-blind file
// system would take for one get "-2", "-3"...
std::vector<std::string> TableFiles(const std::vector<std::string>& tables,
                                    const std::string& prefix, Encoding encoding) {
  std::vector<std::string> files;
  std::set<std::string> used;
  for (const std::string& table : tables) {
    const std::string base = prefix + FileNamePart(table, encoding);
    std::string name = base;
    for (int n = 2;; name = base + "-" + std::to_string(n++)) {
      std::string folded = name;
      std::transform(folded.begin(), folded.end(), folded.begin(),
                     [](char c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; });
      if (used.insert(folded).second) break;
    }
    files.push_back(name + ".csv");
  }
  return files;
}

// Writes each table to its file; a file appears only once it is complete.
void WriteTables(CombinedTables& combined, const std::vector<std::string>& tables,
                 const std::vector<std::string>& files) {
  for (std::size_t i = 0; i < tables.size(); ++i) {
    FileOutput target(files[i]);
    combined.Write(tables[i], target.stream());
    target.Commit();
  }
}

// A few names show what --table takes; a document of hundreds of tables
// would otherwise fill the terminal.
std::string Listed(const std::vector<std::string>& tables, Encoding encoding) {
  constexpr std::size_t kShown = 10;
  std::string list;
  for (std::size_t i = 0; i < tables.size() && i < kShown; ++i) {
    list += (list.empty() ? "" : ", ") + DecodeForDisplay(tables[i], encoding);
  }
  if (tables.size() > kShown) list += " and " + std::to_string(tables.size() - kShown) + " more";
  return list;
}

// The folder that --combine writes the tables into: made when missing,
// and removed again, with what went into it, when the run fails.
class OutputFolder {
 public:
  explicit OutputFolder(const std::string& path) : path_(path) {
    std::error_code error;
    if (fs::is_directory(path, error)) return;
    if (fs::exists(path, error)) {
      throw UsageError("--combine writes one file per table into a folder, and " + path +
                       " is not one");
    }
    if (!fs::create_directory(path, error) && error) {
      throw DataError("cannot create the folder " + path + ": " + error.message());
    }
    made_ = true;
  }
  ~OutputFolder() {
    if (made_ && !kept_) {
      std::error_code ignored;
      fs::remove_all(path_, ignored);
    }
  }
  OutputFolder(const OutputFolder&) = delete;
  OutputFolder& operator=(const OutputFolder&) = delete;

  std::string Prefix() const { return (fs::path(path_) / "").string(); }
  void Keep() { kept_ = true; }

 private:
  std::string path_;
  bool made_ = false;
  bool kept_ = false;
};

}  // namespace

int ExportCombined(const ExportOptions& options) {
  if (options.format != "csv") throw UsageError("--combine applies to --format csv only");
  const std::optional<std::string> table = Encoded(options.table, options.encoding, "--table");
  const std::optional<std::string> object = Encoded(options.object, options.encoding, "--object");
  const std::string& output = options.output;
  std::error_code error;
  if (table && (fs::is_directory(output, error) || (!output.empty() && output.back() == '/'))) {
    throw UsageError("--combine with --table writes one file: name it with -o FILE.csv");
  }
  if (!table && (output.empty() || output == "-")) {
    throw UsageError(
        "--combine without --table writes one file per table into a folder: name "
        "it with -o FOLDER/");
  }
  std::set<std::string> given;
  for (const std::string& file : options.files) {
    if (!given.insert(file).second) {
      throw UsageError(file + " is given twice; each document is combined once");
    }
  }
  EnsureTemplateRegistered(std::cerr);

  CombinedTables combined(true, UnitsOf(options));
  const std::vector<std::string>& files = options.files;
  std::vector<std::optional<DocumentRows>> gathered(files.size());
  ProgressBar progress("exporting", static_cast<long long>(files.size()));
  int status = kExitSuccess;
  const unsigned jobs = std::max(1u, options.jobs);
  // No more documents are held than are read at once.
  RunOrderedJobs(
      files.size(), jobs, jobs,
      [&](std::size_t i) {
        const Document document = OpenInputDocument(files[i]);
        gathered[i].emplace(document, table.value_or(""), object, options.encoding);
      },
      [&](std::size_t i, const std::exception_ptr& failure) {
        if (failure) {
          progress.Clear();
          status = std::max<int>(status, SayFailure(std::cerr, files[i], failure));
        } else {
          combined.Add(files[i], std::move(*gathered[i]));
          gathered[i].reset();
        }
        progress.Update(static_cast<long long>(i) + 1);
      });

  if (table) {
    if (!combined.Has(*table)) {
      throw DataError("no document holds a table '" + options.table + "'" +
                      (object ? " in an object '" + options.object + "'" : ""));
    }
    FileOutput target(output);
    combined.Write(*table, target.stream());
    target.Commit();
    return status;
  }
  const std::vector<std::string> tables = combined.tables();
  if (tables.empty()) {
    throw DataError(object ? "no document holds an object '" + options.object + "' with a table"
                           : "no document holds a table");
  }
  OutputFolder folder(output);
  WriteTables(combined, tables, TableFiles(tables, folder.Prefix(), options.encoding));
  folder.Keep();
  return status;
}

void ExportObjectsCsv(const Document& document, const std::string& file, const std::string& output,
                      bool intoFolder, const ExportOptions& options) {
  const std::optional<std::string> table = Encoded(options.table, options.encoding, "--table");
  CombinedTables combined(false, UnitsOf(options));
  combined.Add(file, DocumentRows(document, table.value_or(""), std::nullopt, options.encoding));
  if (table) {
    if (!combined.Has(*table)) {
      throw FileError(kExitDataError, file, "has no object with a table '" + options.table + "'");
    }
    FileOutput target(output);
    combined.Write(*table, target.stream());
    target.Commit();
    return;
  }
  const std::vector<std::string> tables = combined.tables();
  if (tables.empty()) throw FileError(kExitDataError, file, "holds no table");
  if (tables.size() == 1) {
    WriteTables(combined, tables, {output});
    return;
  }
  if (!intoFolder) {
    throw UsageError(file + " holds several tables; choose one with --table (" +
                     Listed(tables, options.encoding) +
                     "), or write each to a file of its own with -o FOLDER");
  }
  const std::string stem = output.substr(0, output.size() - std::string(".csv").size());
  WriteTables(combined, tables, TableFiles(tables, stem + ".", options.encoding));
}

}  // namespace kuv::tool
