// kuv import: builds a document from JSON and saves it. JSON of format
// version 2 is rebuilt exactly; version 1 is built value by value on the
// template's definitions, as the tool built it through the C interface.
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "commands.h"
#include "file_output.h"
#include "json_reader.h"
#include "kuv/document.hpp"
#include "object_import.h"
#include "progress_bar.h"
#include "template_registration.h"
#include "tool_error.h"

namespace kuv::tool {

namespace {

long long CountValues(const std::vector<ObjectContent>& objects) {
  long long count = 0;
  for (const ObjectContent& object : objects) {
    for (const ContentItem& item : object.content) count += item.step == ContentStep::kValue;
  }
  return count;
}

}  // namespace

int RunImport(const ImportOptions& options) {
  // Everything is read and checked before the document is built, and the
  // document is written only once it is complete.
  ProgressBar bar("reading", 0);
  const JsonDocument json = ReadJsonDocument(options.file, options.encoding);
  bar.Clear();  // a notice may follow
  EnsureTemplateRegistered(std::cerr);
  Document document;
  ImportProgress progress(bar, CountValues(json.objects));
  if (json.formatVersion >= 2) {
    for (const ObjectContent& object : json.objects) {
      ImportExactly(document, object, options.encoding, progress);
    }
    progress.Finish();
    bar.Step("checking", 0);
    CheckReadsBack(document, options.encoding);
  } else {
    const Template definitions = OpenRegisteredTemplate();
    for (const ObjectContent& object : json.objects) {
      ImportPlaced(document, definitions, object, options.encoding, progress);
    }
    progress.Finish();
  }
  bar.Step("saving", 0);
  // Stored as export stores its files, so that an interrupted import
  // leaves no temporary behind and "-" or a device takes the document.
  FileOutput out(options.output);
  try {
    document.Write(out.stream());
  } catch (const Error&) {
    // The output failed; Commit says why.
  }
  out.Commit();
  return kExitSuccess;
}

}  // namespace kuv::tool
