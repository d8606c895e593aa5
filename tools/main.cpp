// The kuv command line: subcommands, their options, and the exit statuses.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <cctype>
#include <exception>
#include <iostream>
#include <map>
#include <optional>
#include <string>

#include "commands.h"
#include "interrupt_cleanup.h"
#include "kuv/ordered_jobs.hpp"
#include "standard_output.h"
#include "tool_error.h"

namespace {

using kuv::Encoding;

// Takes an encoding's name as the library knows it and hands the parser
// its number; help and errors show the names alone.
CLI::Validator EncodingName() {
  return CLI::Validator(
      [](std::string& value) -> std::string {
        const std::optional<Encoding> named = kuv::EncodingNamed(value);
        if (!named) return "unknown encoding '" + value + "': use cp1252, latin1 or utf-8";
        value = std::to_string(static_cast<int>(*named));
        return {};
      },
      "");
}

void AddEncodingOption(CLI::App* command, Encoding* encoding) {
  command
      ->add_option("--encoding", *encoding,
                   "Character set of the text in documents: cp1252, latin1 or utf-8 (JSON and "
                   "the terminal are UTF-8)")
      ->type_name("NAME")
      ->transform(EncodingName())
      ->default_str("cp1252");
}

// A count of jobs: a whole number of at least 1, written in digits alone.
// More jobs than files add nothing, so a huge count is taken as a large one.
unsigned JobCount(const std::string& text) {
  constexpr unsigned kMostJobs = 1u << 20;
  unsigned count = 0;
  bool digits = !text.empty();
  for (const char c : text) {
    if (c < '0' || c > '9') {
      digits = false;
      break;
    }
    count = std::min(kMostJobs, count * 10 + static_cast<unsigned>(c - '0'));
  }
  if (!digits || count == 0) {
    throw CLI::ValidationError("--jobs takes a whole number of at least 1, not '" + text + "'");
  }
  return count;
}

// Files handled at once; one per core unless told otherwise.
void AddJobsOption(CLI::App* command, unsigned* jobs) {
  *jobs = kuv::DefaultJobCount();
  command
      ->add_option_function<std::string>(
          "-j,--jobs", [jobs](const std::string& text) { *jobs = JobCount(text); },
          "How many files to handle at once (default: one per core)")
      ->type_name("N")
      ->default_str(std::to_string(*jobs));
}

// A report that could not be written (a full disk, a closed pipe) must not
// end in success.
bool StandardOutputWritten() {
  std::cout.flush();
  if (std::cout) return true;
  std::cerr << "kuv: " << kuv::tool::StandardOutputFailure() << "\n";
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace kuv::tool;
  InstallInterruptCleanup();
  KeepStandardOutputReason();

  CLI::App app{"kuv: read, check and convert well-data interchange documents", "kuv"};
  app.require_subcommand(1);
  app.fallthrough(false);
  app.set_version_flag("--version", "kuv " KUV_TOOL_VERSION);

  ShowOptions show;
  CLI::App* showCommand =
      app.add_subcommand("show", "Show each business object's header and its tables as a tree");
  showCommand->add_option("FILE", show.file, "The document")->required();
  showCommand->add_flag("--definitions", show.definitions,
                        "Show each object's data description too: its tables, their parents, "
                        "and the type and unit of each field");
  AddEncodingOption(showCommand, &show.encoding);

  CheckOptions check;
  CLI::App* checkCommand = app.add_subcommand(
      "check", "Read each document and report it ok (with its counts) or the reason it fails");
  checkCommand->add_option("FILE", check.files, "The documents")->required();
  AddJobsOption(checkCommand, &check.jobs);
  checkCommand->add_flag(
      "--strict", check.strict,
      "Report too what the library reads without complaint: a document cut short, values that do "
      "not read as their declared type, tables and fields used but not declared, units and types "
      "that differ from the template, header Dates that are no timestamp");
  checkCommand->add_option("--format", check.format, "text or json")
      ->check(CLI::IsMember({"text", "json"}))
      ->default_str("text");
  AddEncodingOption(checkCommand, &check.encoding);

  ExportOptions exporting;
  CLI::App* exportCommand = app.add_subcommand(
      "export",
      "Write a document as JSON (everything, which import gives back byte for byte) or one of its "
      "tables as CSV. Several documents are written to the folder -o names, one file each, named "
      "like the document with the extension .json or .csv; one that fails is reported and the "
      "others are still written");
  exportCommand->add_option("FILE", exporting.files, "The documents")->required();
  exportCommand
      ->add_option("--format", exporting.format,
                   "json, csv, or sqlite (every document into the database -o names)")
      ->required()
      ->check(CLI::IsMember({"json", "csv", "sqlite"}));
  exportCommand->add_option("--object", exporting.object,
                            "Only the business object with this ID (for CSV, without it: the "
                            "table from every object that holds it)");
  exportCommand->add_option("--table", exporting.table,
                            "The table written as CSV, from every object that holds it; without "
                            "it, the only table, or each table to a file of its own in the "
                            "folder -o names");
  exportCommand
      ->add_option("--units", exporting.units,
                   "Where CSV puts the units: none, header (\"OD [in]\") or row (a line of its "
                   "own after the names)")
      ->check(CLI::IsMember({"none", "header", "row"}))
      ->default_str("none");
  exportCommand->add_option("-o,--output", exporting.output,
                            "Write here instead of to standard output; the folder for the outputs "
                            "when several documents are exported (made when missing)");
  exportCommand->add_flag("--combine", exporting.combine,
                          "CSV: the rows of every document in one file per table, behind the "
                          "columns source and object: -o FILE.csv with --table, else -o FOLDER/");
  AddEncodingOption(exportCommand, &exporting.encoding);
  AddJobsOption(exportCommand, &exporting.jobs);

  DiffRunOptions diffing;
  CLI::App* diffCommand = app.add_subcommand(
      "diff",
      "Show what differs between two documents: objects (matched by ID), headers, definitions, "
      "rows (matched by a key) and values. Exit status 0 when they hold the same, 1 when they "
      "differ, 2 for trouble");
  diffCommand->add_option("BEFORE", diffing.before, "The first document")->required();
  diffCommand->add_option("AFTER", diffing.after, "The second document")->required();
  diffCommand->add_option("--key", diffing.keys,
                          "TABLE=FIELD: match the table's rows by this field (default: the "
                          "table's first field where its texts are unique, else the position)");
  diffCommand->add_option("--tolerance", diffing.tolerance,
                          "How far numbers of fields declared numeric may differ: an amount "
                          "(0.001) or a percentage (0.5%); default: exact text");
  diffCommand->add_option("--format", diffing.format, "text or json")
      ->check(CLI::IsMember({"text", "json"}))
      ->default_str("text");
  diffCommand->add_flag("--summary", diffing.summary, "Counts of the differences only");
  AddEncodingOption(diffCommand, &diffing.encoding);

  ImportOptions importing;
  CLI::App* importCommand = app.add_subcommand(
      "import",
      "Build a document from JSON written by export. JSON of formatVersion 2 gives back the "
      "document it came from byte for byte, Dates and definitions included; formatVersion 1 is "
      "built value by value on the template's definitions, each Date stamped with the current "
      "time");
  importCommand->add_option("FILE", importing.file, "The JSON file")->required();
  importCommand->add_option("-o,--output", importing.output, "The document to write")->required();
  AddEncodingOption(importCommand, &importing.encoding);

  ViewOptions viewing;
  CLI::App* viewCommand = app.add_subcommand(
      "view",
      "Write a document as one HTML page that any browser opens offline: its objects, their "
      "headers and data descriptions, their tables (paged, sortable by a column) and log tracks "
      "of every table with two numeric fields or more");
  viewCommand->add_option("FILE", viewing.file, "The document")->required();
  viewCommand->add_option("-o,--output", viewing.output,
                          "The page to write (- for standard output), or a folder to write it "
                          "into; without it, FILE.html beside the document");
  AddEncodingOption(viewCommand, &viewing.encoding);

  TemplateOptions templating;
  CLI::App* templateCommand = app.add_subcommand(
      "template", "Show the registered template, or register PATH (a file named Standard.kvt)");
  templateCommand->add_option("PATH", templating.path, "The template to register");

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    // Help and the version go to standard output with status 0; anything
    // else is a usage error, said as the tool's other errors are.
    if (error.get_exit_code() == 0) {
      app.exit(error, std::cout, std::cerr);
      return StandardOutputWritten() ? kExitSuccess : kExitDataError;
    }
    std::cerr << "kuv: " << error.what() << "\nRun 'kuv --help' for more information.\n";
    return kExitUsageError;
  }

  try {
    int status = kExitUsageError;
    if (*showCommand) status = RunShow(show);
    if (*checkCommand) status = RunCheck(check);
    if (*exportCommand) status = RunExport(exporting);
    if (*importCommand) status = RunImport(importing);
    if (*viewCommand) status = RunView(viewing);
    if (*templateCommand) status = RunTemplate(templating);
    // diff(1) says trouble with 2, not 1, which means "different".
    if (*diffCommand) {
      status = RunDiff(diffing);
      return StandardOutputWritten() ? status : kExitUsageError;
    }
    return StandardOutputWritten() ? status : kExitDataError;
  } catch (const ToolError& error) {
    std::cout.flush();
    std::cerr << "kuv: " << error.what() << "\n";
    return error.status();
  } catch (const std::exception& error) {
    std::cout.flush();
    std::cerr << "kuv: " << error.what() << "\n";
    return kExitDataError;
  }
}
