#include "json_reader.h"

#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <utility>

#include "format_limits.h"
#include "input_source.h"
#include "json_writer.h"
#include "tool_error.h"

namespace kuv::tool {

namespace {

using nlohmann::json;

const char* EncodingName(Encoding encoding) {
  switch (encoding) {
    case Encoding::kCp1252:
      return "cp1252";
    case Encoding::kLatin1:
      return "latin1";
    case Encoding::kUtf8:
      return "utf-8";
  }
  return "";
}

using Rule = const char* (*)(std::string_view);

// What each text of an object must allow, checked with its own rule.
struct TextRules {
  Rule attribute;   // the header's texts
  Rule tableName;   // a table definition's table and parent
  Rule fieldTable;  // the table of a field definition
  Rule fieldName;   // the field of a field definition
  Rule unit;
  Rule type;
  Rule contentName;  // the names of tables and fields in the content
  Rule value;
};

// Version 1 objects are built value by value on their declarations.
constexpr TextRules kPlacedRules = {
    ProblemWithAttribute, ProblemWithName,      ProblemWithName, ProblemWithName,
    ProblemWithAttribute, ProblemWithAttribute, ProblemWithName, ProblemWithValue};
// Version 2 objects are rebuilt exactly, definitions included.
constexpr TextRules kExactRules = {ProblemStoringAttribute, ProblemStoringAttribute,
                                   ProblemStoringKeyPart,   ProblemStoringAttribute,
                                   ProblemStoringKeyPart,   ProblemStoringAttribute,
                                   ProblemStoringName,      ProblemStoringValue};

// Turns one JSON object into an ObjectContent, knowing at every moment where
// it stands, for messages.
class ObjectReader {
 public:
  ObjectReader(Encoding encoding, const TextRules& rules, std::size_t index)
      : encoding_(encoding), rules_(rules), index_(index) {}

  ObjectContent Read(const json& source) {
    ObjectContent object;
    if (!source.is_object()) Shape("", "must be an object");
    // The ID comes first, so that every later message can name the object.
    object.header.id = Attribute(source, "id", true, "ID");
    object.header.author = Attribute(source, "author", false, "Author");
    object.header.version = Attribute(source, "version", false, "Version");
    object.header.wellId = Attribute(source, "wellId", false, "WellID");
    if (source.contains("date")) object.header.date = Attribute(source, "date", false, "Date");
    ReadDefinitions(source, &object);
    ReadContent(source, &object);
    return object;
  }

 private:
  // One array being walked: where it is (for messages) and how far.
  struct Frame {
    const json* array;
    std::size_t next;
    bool isRows;        // the rows of a table, else a list of tables
    std::string table;  // the table whose rows these are
  };

  std::string Path(const std::string& inside) const {
    return "objects[" + std::to_string(index_) + "]" + inside;
  }

  [[noreturn]] void Shape(const std::string& inside, const std::string& problem) const {
    throw DataError("JSON " + Path(inside) + ": " + problem);
  }

  std::string Where(const std::string& table, const std::string& field) const {
    std::string where = "object '" + displayId_ + "'";
    if (!table.empty()) where += ", table '" + table + "'";
    if (!field.empty()) where += ", field '" + field + "'";
    return where;
  }

  std::string Text(const json& holder, const char* key, bool required, const std::string& inside) {
    auto found = holder.find(key);
    if (found == holder.end()) {
      if (required) Shape(inside, std::string("lacks \"") + key + "\"");
      return std::string();
    }
    if (!found->is_string()) Shape(inside, std::string("\"") + key + "\" must be a string");
    return found->get<std::string>();
  }

  // Encodes UTF-8 text for the document, checking that the format can hold
  // it there; where names the text for a message.
  std::string Encode(const std::string& text, const std::string& where, const char* what,
                     Rule problemWith) {
    std::optional<std::string> bytes = EncodeText(text, encoding_);
    if (!bytes) {
      throw DataError(where + ": the " + what + " holds " + FirstUnencodable(text, encoding_) +
                      ", which " + EncodingName(encoding_) + " cannot encode");
    }
    if (const char* problem = problemWith(*bytes)) {
      throw DataError(where + ": the " + what + " cannot be stored in a document: " + problem);
    }
    return std::move(*bytes);
  }

  std::string Attribute(const json& source, const char* key, bool required, const char* name) {
    const std::string text = Text(source, key, required, "");
    if (required) displayId_ = text;
    return Encode(text, Where("", ""), (std::string("attribute ") + name).c_str(),
                  rules_.attribute);
  }

  const json* ArrayMember(const json& holder, const char* key, const std::string& inside) {
    auto found = holder.find(key);
    if (found == holder.end()) return nullptr;
    if (!found->is_array()) Shape(inside, std::string("\"") + key + "\" must be an array");
    return &*found;
  }

  void ReadDefinitions(const json& source, ObjectContent* object) {
    auto found = source.find("definitions");
    if (found == source.end()) return;
    if (!found->is_object()) Shape(".definitions", "must be an object");
    if (const json* tables = ArrayMember(*found, "tables", ".definitions")) {
      for (std::size_t i = 0; i < tables->size(); ++i) {
        const std::string inside = ".definitions.tables[" + std::to_string(i) + "]";
        const json& entry = (*tables)[i];
        if (!entry.is_object()) Shape(inside, "must be an object");
        const std::string name = Text(entry, "name", true, inside);
        const std::string parent = Text(entry, "parent", false, inside);
        const std::string where = Where(name, "");
        object->tables.push_back(
            {Encode(name, where, "table name", rules_.tableName),
             parent.empty() ? std::string()
                            : Encode(parent, where, "parent table name", rules_.tableName)});
      }
    }
    if (const json* fields = ArrayMember(*found, "fields", ".definitions")) {
      for (std::size_t i = 0; i < fields->size(); ++i) {
        const std::string inside = ".definitions.fields[" + std::to_string(i) + "]";
        const json& entry = (*fields)[i];
        if (!entry.is_object()) Shape(inside, "must be an object");
        const std::string table = Text(entry, "table", true, inside);
        const std::string field = Text(entry, "field", true, inside);
        const std::string where = Where(table, field);
        object->fields.push_back(
            {Encode(table, where, "table name", rules_.fieldTable),
             Encode(field, where, "field name", rules_.fieldName),
             Encode(Text(entry, "unit", false, inside), where, "unit", rules_.unit),
             Encode(Text(entry, "type", false, inside), where, "type", rules_.type)});
      }
    }
  }

  // Where the walk stands, for a message: every open array with the index
  // of its entry being read. Built only when needed, since it grows with
  // the depth.
  static std::string PathOf(const std::vector<Frame>& stack) {
    std::string path;
    for (const Frame& frame : stack) {
      path += frame.isRows ? ".rows[" : ".tables[";
      path += std::to_string(frame.next - 1) + "]";
    }
    return path;
  }

  // Walks the nested tables with an explicit stack of arrays.
  void ReadContent(const json& source, ObjectContent* object) {
    const json* top = ArrayMember(source, "tables", "");
    if (top == nullptr) return;
    std::vector<ContentItem>& content = object->content;
    std::vector<Frame> stack;
    stack.push_back({top, 0, false, std::string()});
    while (!stack.empty()) {
      Frame& frame = stack.back();
      if (frame.next == frame.array->size()) {
        if (frame.isRows) content.push_back({ContentStep::kCloseTable, {}, {}});
        stack.pop_back();
        continue;
      }
      const json& entry = (*frame.array)[frame.next++];
      if (!entry.is_object()) Shape(PathOf(stack), "must be an object");
      if (!frame.isRows) {
        const std::string name = TextAt(entry, "name", [&] { return PathOf(stack); });
        content.push_back({ContentStep::kOpenTable,
                           Encode(name, Where(name, ""), "table name", rules_.contentName),
                           {}});
        auto rows = entry.find("rows");
        if (rows != entry.end() && !rows->is_array())
          Shape(PathOf(stack), "\"rows\" must be an array");
        stack.push_back({rows != entry.end() ? &*rows : &kEmptyArray, 0, true, name});
        continue;  // frame is not used after the push
      }
      content.push_back({ContentStep::kBeginRow, {}, {}});
      const std::string table = frame.table;
      auto values = entry.find("values");
      if (values != entry.end()) {
        if (!values->is_array()) Shape(PathOf(stack), "\"values\" must be an array");
        for (std::size_t i = 0; i < values->size(); ++i) {
          const json& value = (*values)[i];
          const auto valueAt = [&] { return PathOf(stack) + ".values[" + std::to_string(i) + "]"; };
          if (!value.is_object()) Shape(valueAt(), "must be an object");
          const std::string field = TextAt(value, "field", valueAt);
          const std::string where = Where(table, field);
          content.push_back(
              {ContentStep::kValue, Encode(field, where, "field name", rules_.contentName),
               Encode(TextAt(value, "value", valueAt), where, "value", rules_.value)});
        }
      }
      auto tables = entry.find("tables");
      if (tables != entry.end()) {
        if (!tables->is_array()) Shape(PathOf(stack), "\"tables\" must be an array");
        stack.push_back({&*tables, 0, false, std::string()});
      }
    }
  }

  // A required string member, its place named only when it is missing.
  template <typename PathFunction>
  std::string TextAt(const json& holder, const char* key, const PathFunction& path) {
    auto found = holder.find(key);
    if (found == holder.end()) Shape(path(), std::string("lacks \"") + key + "\"");
    if (!found->is_string()) Shape(path(), std::string("\"") + key + "\" must be a string");
    return found->get<std::string>();
  }

  static inline const json kEmptyArray = json::array();

  Encoding encoding_;
  const TextRules& rules_;
  std::size_t index_;
  std::string displayId_;
};

// The format marks are optional, for hand-written JSON; when present they
// must be this format's. Without a version the JSON is read as version 1.
int FormatVersion(const json& root) {
  auto format = root.find("format");
  if (format != root.end() && *format != kJsonFormatName) {
    throw DataError(std::string("JSON: \"format\" must be \"") + kJsonFormatName + "\"");
  }
  auto version = root.find("formatVersion");
  if (version == root.end()) return 1;
  if (!version->is_number_integer() || *version < 1 || *version > kJsonFormatVersion) {
    throw DataError("JSON: this tool reads \"formatVersion\" 1 to " +
                    std::to_string(kJsonFormatVersion));
  }
  return version->get<int>();
}

}  // namespace

JsonDocument ParseJsonDocument(std::string text, Encoding encoding) {
  json root;
  try {
    root = json::parse(text);
  } catch (const json::parse_error& error) {
    throw DataError(std::string("invalid JSON: ") + error.what());
  }
  // The text, the tree and the objects never all live at once: each goes
  // as soon as the next has been made from it.
  std::string().swap(text);
  if (!root.is_object()) throw DataError("JSON: the document must be an object");
  JsonDocument result;
  result.formatVersion = FormatVersion(root);
  auto objects = root.find("objects");
  if (objects == root.end() || !objects->is_array()) {
    throw DataError("JSON: the document lacks its \"objects\" array");
  }
  const TextRules& rules = result.formatVersion >= 2 ? kExactRules : kPlacedRules;
  result.objects.reserve(objects->size());
  for (std::size_t i = 0; i < objects->size(); ++i) {
    result.objects.push_back(ObjectReader(encoding, rules, i).Read((*objects)[i]));
    (*objects)[i] = json();
  }
  return result;
}

JsonDocument ReadJsonDocument(const std::string& path, Encoding encoding) {
  // One read of the whole file: the parser wants it in memory anyway.
  return ParseJsonDocument(ReadInputBytes(path), encoding);
}

}  // namespace kuv::tool
