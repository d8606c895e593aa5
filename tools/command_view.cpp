// kuv view: a document as one self-contained HTML page, next to it or
// where -o says.
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <system_error>

#include "commands.h"
#include "file_output.h"
#include "input_source.h"
#include "kuv/document.hpp"
#include "progress_bar.h"
#include "template_registration.h"
#include "tool_error.h"
#include "view_page.h"

namespace kuv::tool {

namespace {

namespace fs = std::filesystem;

constexpr const char* kPageExtension = ".html";

// Where the page goes: beside the document as FILE.html without -o; into
// a folder that -o names (an existing one, or a name ending in "/"), under
// the document's name; else the file -o names ("-" for standard output).
std::string PagePath(const ViewOptions& options) {
  const bool fromStandardInput = IsStandardStream(options.file);
  std::error_code ignored;
  const bool intoFolder =
      !options.output.empty() && options.output != "-" &&
      (fs::is_directory(options.output, ignored) || options.output.back() == '/');
  if (!options.output.empty() && !intoFolder) return options.output;
  if (fromStandardInput) {
    throw UsageError(
        "a page of standard input needs a name: -o PAGE.html, or -o - for standard "
        "output");
  }
  if (!intoFolder) return options.file + kPageExtension;
  const fs::path name = fs::path(options.file).filename();
  if (name.empty() || name == "." || name == "..") {
    throw UsageError(options.file + " does not name a file");
  }
  return (fs::path(options.output) / name).string() + kPageExtension;
}

// A page stored over the document it shows would lose the document.
void RefuseToReplaceTheDocument(const std::string& document, const std::string& page) {
  std::error_code error;
  if (page != "-" && !IsStandardStream(document) && fs::equivalent(document, page, error)) {
    throw UsageError("the page " + page +
                     " would replace the document itself: name another "
                     "with -o");
  }
}

ViewSource SourceOf(const std::string& file) {
  ViewSource source;
  if (IsStandardStream(file)) {
    source.name = "standard input";
    return source;
  }
  // The page is UTF-8; a name that is not shows what it can.
  source.name = DecodeForDisplay(fs::path(file).filename().string(), Encoding::kUtf8);
  std::error_code error;
  if (fs::is_regular_file(file, error)) {
    const std::uintmax_t size = fs::file_size(file, error);
    if (!error) source.bytes = size;
  }
  return source;
}

}  // namespace

int RunView(const ViewOptions& options) {
  const std::string page = PagePath(options);
  RefuseToReplaceTheDocument(options.file, page);
  EnsureTemplateRegistered(std::cerr);
  // The template declares what an object leaves undeclared; without it,
  // the page still shows everything, with the object's own declarations.
  std::optional<Template> definitions;
  try {
    definitions = OpenRegisteredTemplate();
  } catch (const std::exception& error) {
    std::cerr << "kuv: the template's declarations are not used: " << error.what() << "\n";
  }
  ProgressBar progress("reading", 0);
  const Document document = OpenInputDocument(options.file);
  progress.Step("writing the page", 0);
  FileOutput target(page);
  WriteViewPage(target.stream(), document, SourceOf(options.file),
                definitions ? &*definitions : nullptr, options.encoding);
  target.Commit();
  return kExitSuccess;
}

}  // namespace kuv::tool
