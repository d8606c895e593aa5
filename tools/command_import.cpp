// kuv import: builds a document from JSON and stores it. JSON of format
// version 2 is rebuilt exactly; version 1 is built value by value on the
// template's definitions, as the tool built it through the C interface.
// Objects go through one at a time: read from the JSON (on a thread of
// their own, a few objects ahead), built in a document of their own,
// checked, written out and dropped, so that memory stays that of a few
// objects whatever the size of the JSON.
#include <iostream>
#include <optional>
#include <set>
#include <string>

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
  std::set<std::string> placedIds;
  while (const std::optional<ReadObject> read = objects.Next()) {
    const ObjectContent* const object = &read->object;
    Document own;
    if (read->formatVersion >= 2) {
      ImportExactly(own, *object, options.encoding);
      // Refused before anything of it is written, by the check every save
      // makes, so that the reason reaches the user in the tool's words.
      if (const std::optional<ReadBackProblem> problem = own.FindReadBackProblem()) {
        throw DataError(DecodeForDisplay(problem->where, options.encoding) + ": " +
                        DecodeForDisplay(problem->why, options.encoding));
      }
    } else {
      // Objects built as through the C interface, which gives an ID to one
      // object of a document only.
      if (!placedIds.insert(object->header.id).second) {
        throw DataError(Where(object->header.id, options.encoding) +
                        ": the ID is given to more than one object");
      }
      if (!definitions) definitions = OpenRegisteredTemplate();
      ImportPlaced(own, *definitions, *object, options.encoding);
    }
    writer.Write(own.objects()[0]);
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
