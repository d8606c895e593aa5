#include "json_import_harness.h"

#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "json_reader.h"
#include "json_writer.h"
#include "kuv/document.hpp"
#include "object_import.h"
#include "tool_error.h"

namespace kuv::fuzz {

namespace {

using kuv::Encoding;

// The template that objects of format version 1 are built on, read once.
const Template& BundledTemplate() {
  static const Template bundled = [] {
    try {
      return Template::Open(KUV_FUZZ_TEMPLATE);
    } catch (const Error&) {
      Expect(false, "the bundled template reads");
      throw;
    }
  }();
  return bundled;
}

// The document that kuv import writes for json, or nullopt when it refuses
// the JSON, as it may, with a reason.
std::optional<std::string> Import(std::string_view json) {
  std::istringstream in{std::string(json)};
  std::ostringstream document;
  try {
    tool::JsonObjectReader reader(in, Encoding::kCp1252);
    DocumentWriter writer(document);
    tool::ObjectImporter importer(Encoding::kCp1252, BundledTemplate);
    while (const std::optional<tool::ObjectContent> object = reader.Next()) {
      importer.Import(*object, reader.formatVersion(), writer);
    }
    writer.Finish();
  } catch (const tool::ToolError&) {
    return std::nullopt;
  } catch (const Error&) {  // the library's own refusal to write an object
    return std::nullopt;
  } catch (const Refusal&) {
    return std::nullopt;
  }
  return document.str();
}

// The document as kuv export writes it.
std::string Export(const Document& document) {
  std::ostringstream json;
  tool::JsonDocumentWriter writer(json, Encoding::kCp1252);
  for (const BusinessObject object : document.objects()) writer.WriteObject(object);
  writer.Finish();
  return json.str();
}

}  // namespace

bool ExerciseJsonImport(const std::uint8_t* data, std::size_t size) {
  const std::string_view json(reinterpret_cast<const char*>(data), size);
  const std::optional<std::string> imported = Import(json);
  if (!imported) return false;
  std::optional<Document> document;
  try {
    document.emplace(Document::Parse(*imported));
  } catch (const Error&) {
    Expect(false, "an imported document reads back");
  }
  Expect(document->complete(), "an imported document is whole");
  std::string exported;
  try {
    exported = Export(*document);
  } catch (const std::exception&) {
    Expect(false, "an imported document exports");
  }
  const std::optional<std::string> again = Import(exported);
  Expect(again.has_value(), "the export of an imported document imports");
  Expect(*again == *imported, "export and import give the imported document back byte for byte");
  return true;
}

}  // namespace kuv::fuzz
