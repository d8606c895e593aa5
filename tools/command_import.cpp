// kuv import: builds a document from JSON and stores it. JSON of format
// version 2 is rebuilt exactly; version 1 is built value by value on the
// template's definitions, as the tool built it through the C interface.
// Objects go through one at a time: read from the JSON (on a thread of
// their own, a few objects ahead), built in a document of their own,
// checked, written out and dropped, so that memory stays that of a few
// objects whatever the size of the JSON.
#include <iostream>
#include <optional>

#include "commands.h"
#include "counting_input.h"
#include "file_output.h"
#include "input_source.h"
#include "json_reader.h"
#include "kuv/document.hpp"
#include "object_import.h"
#include "object_pipeline.h"
#include "progress_bar.h"
#include "template_registration.h"
#include "tool_error.h"

namespace kuv::tool {

int RunImport(const ImportOptions& options) {
  const InputStream input = OpenInputStream(options.file);
  EnsureTemplateRegistered(std::cerr);
  // Stored as export stores its files: the output appears only once it is
  // complete, an interrupted import leaves no temporary behind, and "-" or
  // a device takes the document as it is written.
  FileOutput out(options.output);
  ProgressBar bar("importing", static_cast<long long>(input.size));
  // The bar follows the bytes as the reader takes them, so that it moves
  // through one large object too.
  CountingInput counted(input.stream(),
                        [&bar](std::uint64_t bytes) { bar.Update(static_cast<long long>(bytes)); });
  JsonObjectReader json(counted, options.encoding);
  ObjectPipeline objects(json);
  DocumentWriter writer(out.stream());
  std::optional<Template> definitions;
  ObjectImporter importer(options.encoding, [&definitions]() -> const Template& {
    if (!definitions) definitions = OpenRegisteredTemplate();
    return *definitions;
  });
  while (const std::optional<ReadObject> read = objects.Next()) {
    importer.Import(read->object, read->formatVersion, writer);
  }
  try {
    writer.Finish();
  } catch (const Error&) {
    // The output failed; Commit says why.
  }
  out.Commit();
  return kExitSuccess;
}

}  // namespace kuv::tool
