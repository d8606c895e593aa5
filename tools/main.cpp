// The kuv command line: subcommands, their options, and the exit statuses.
#include <CLI/CLI.hpp>
#include <exception>
#include <iostream>
#include <map>
#include <string>

#include "commands.h"
#include "interrupt_cleanup.h"
#include "ordered_jobs.h"
#include "tool_error.h"

namespace {

using kuv::tool::Encoding;

const std::map<std::string, Encoding> kEncodings = {
    {"cp1252", Encoding::kCp1252}, {"latin1", Encoding::kLatin1}, {"utf-8", Encoding::kUtf8}};

void AddEncodingOption(CLI::App* command, Encoding* encoding) {
  command
      ->add_option("--encoding", *encoding,
                   "Character set of the text in documents (JSON and the terminal are UTF-8)")
      ->transform(CLI::CheckedTransformer(kEncodings, CLI::ignore_case))
      ->default_str("cp1252");
}

// Files handled at once; one per core unless told otherwise.
void AddJobsOption(CLI::App* command, unsigned* jobs) {
  *jobs = kuv::tool::DefaultJobCount();
  command
      ->add_option("-j,--jobs", *jobs, "How many files to handle at once (default: one per core)")
      ->check(CLI::PositiveNumber)
      ->default_str(std::to_string(*jobs));
}

}  // namespace

int main(int argc, char** argv) {
  using namespace kuv::tool;
  InstallInterruptCleanup();

  CLI::App app{"kuv: read, check and convert well-data interchange documents", "kuv"};
  app.require_subcommand(1);
  app.fallthrough(false);

  ShowOptions show;
  CLI::App* showCommand =
      app.add_subcommand("show", "Show each business object's header and its tables as a tree");
  showCommand->add_option("FILE", show.file, "The document")->required();
  AddEncodingOption(showCommand, &show.encoding);

  CheckOptions check;
  CLI::App* checkCommand = app.add_subcommand(
      "check", "Read each document and report it ok (with its counts) or the reason it fails");
  checkCommand->add_option("FILE", check.files, "The documents")->required();
  AddJobsOption(checkCommand, &check.jobs);

  ExportOptions exporting;
  CLI::App* exportCommand = app.add_subcommand(
      "export",
      "Write a document as JSON (everything, which import gives back byte for byte) or one of its "
      "tables as CSV. Several documents are written to the folder -o names, one file each, named "
      "like the document with the extension .json or .csv; one that fails is reported and the "
      "others are still written");
  exportCommand->add_option("FILE", exporting.files, "The documents")->required();
  exportCommand->add_option("--format", exporting.format, "json or csv")
      ->required()
      ->check(CLI::IsMember({"json", "csv"}));
  exportCommand->add_option("--object", exporting.object,
                            "Only the business object with this ID (needed for CSV when the "
                            "document holds several)");
  exportCommand->add_option("--table", exporting.table,
                            "The table written as CSV (needed when the object holds several)");
  exportCommand->add_option("-o,--output", exporting.output,
                            "Write here instead of to standard output; the folder for the outputs "
                            "when several documents are exported (made when missing)");
  AddEncodingOption(exportCommand, &exporting.encoding);
  AddJobsOption(exportCommand, &exporting.jobs);

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

  TemplateOptions templating;
  CLI::App* templateCommand = app.add_subcommand(
      "template", "Show the registered template, or register PATH (a file named Standard.kvt)");
  templateCommand->add_option("PATH", templating.path, "The template to register");

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    // Help goes to standard output with status 0; anything else is a usage
    // error.
    const int status = app.exit(error, std::cout, std::cerr);
    return status == 0 ? kExitSuccess : kExitUsageError;
  }

  try {
    if (*showCommand) return RunShow(show);
    if (*checkCommand) return RunCheck(check);
    if (*exportCommand) return RunExport(exporting);
    if (*importCommand) return RunImport(importing);
    if (*templateCommand) return RunTemplate(templating);
  } catch (const ToolError& error) {
    std::cout.flush();
    std::cerr << "kuv: " << error.what() << "\n";
    return error.status();
  } catch (const std::exception& error) {
    std::cout.flush();
    std::cerr << "kuv: " << error.what() << "\n";
    return kExitDataError;
  }
  return kExitUsageError;
}
