#include "json_reader.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "format_limits.h"
#include "json_writer.h"
#include "tool_error.h"

namespace kuv::tool {

namespace {

using Event = JsonPullParser::Event;

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

// Reads one JSON object into an ObjectContent, its texts as the JSON gives
// them (UTF-8), knowing at every moment where it stands, for messages. The
// members may come in any order.
class RawObjectReader {
 public:
  RawObjectReader(JsonPullParser& parser, std::size_t index) : parser_(parser), index_(index) {}

  // Call after the object's opening brace.
  ObjectContent Read() {
    ObjectContent object;
    bool hasId = false;
    for (Event event = parser_.Next(); event != Event::kObjectEnd; event = parser_.Next()) {
      const std::string key = parser_.text();
      ObjectHeader& header = object.header;
      if (key == "id") {
        header.id = String(key, "");
        hasId = true;
      } else if (key == "author") {
        header.author = String(key, "");
      } else if (key == "version") {
        header.version = String(key, "");
      } else if (key == "wellId") {
        header.wellId = String(key, "");
      } else if (key == "date") {
        header.date = String(key, "");
      } else if (key == "definitions") {
        ReadDefinitions(&object);
      } else if (key == "tables") {
        if (parser_.Next() != Event::kArrayStart) Shape("", "\"tables\" must be an array");
        ReadContent(&object);
      } else {
        parser_.SkipValue();
      }
    }
    if (!hasId) Shape("", "lacks \"id\"");
    return object;
  }

 private:
  // One open array or object of the content, for the walk's own stack.
  struct Level {
    enum Kind : std::uint8_t { kTables, kTable, kRows, kRow, kValues } kind;
    std::size_t entries = 0;  // of an array: how many have begun
    std::size_t item = 0;     // of a table: its kOpenTable; of a row: where its values go
    bool named = false;       // of a table
  };

  std::string Path(const std::string& inside) const {
    return "objects[" + std::to_string(index_) + "]" + inside;
  }

  [[noreturn]] void Shape(const std::string& inside, const std::string& problem) const {
    throw DataError("JSON " + Path(inside) + ": " + problem);
  }

  // The value of the member key, which must be a string.
  std::string String(const std::string& key, const std::string& inside) {
    return StringAt(key, [&] { return inside; });
  }
  // The same where the place is worked out only for a message, since it
  // grows with the depth.
  template <typename PathFunction>
  std::string StringAt(const std::string& key, const PathFunction& inside) {
    if (parser_.Next() != Event::kString) Shape(inside(), "\"" + key + "\" must be a string");
    return parser_.text();
  }

  // Reads an object whose members of interest hold strings, the others
  // skipped; call after its opening brace.
  template <std::size_t N, typename PathFunction>
  std::array<std::optional<std::string>, N> Members(const std::array<const char*, N>& keys,
                                                    const PathFunction& inside) {
    std::array<std::optional<std::string>, N> found;
    for (Event event = parser_.Next(); event != Event::kObjectEnd; event = parser_.Next()) {
      std::size_t k = 0;
      while (k < N && parser_.text() != keys[k]) ++k;
      if (k == N) {
        parser_.SkipValue();
      } else {
        found[k] = StringAt(keys[k], inside);
      }
    }
    return found;
  }

  template <std::size_t N, typename PathFunction>
  void Require(const std::array<std::optional<std::string>, N>& found,
               const std::array<const char*, N>& keys, std::size_t required,
               const PathFunction& inside) const {
    for (std::size_t k = 0; k < required; ++k) {
      if (!found[k]) Shape(inside(), std::string("lacks \"") + keys[k] + "\"");
    }
  }

  void ReadDefinitions(ObjectContent* object) {
    if (parser_.Next() != Event::kObjectStart) Shape(".definitions", "must be an object");
    for (Event event = parser_.Next(); event != Event::kObjectEnd; event = parser_.Next()) {
      const std::string key = parser_.text();
      if (key != "tables" && key != "fields") {
        parser_.SkipValue();
        continue;
      }
      if (parser_.Next() != Event::kArrayStart) {
        Shape(".definitions", "\"" + key + "\" must be an array");
      }
      for (std::size_t i = 0;; ++i) {
        const Event entry = parser_.Next();
        if (entry == Event::kArrayEnd) break;
        const std::string place = ".definitions." + key + "[" + std::to_string(i) + "]";
        const auto inside = [&] { return place; };
        if (entry != Event::kObjectStart) Shape(place, "must be an object");
        if (key == "tables") {
          static constexpr std::array<const char*, 2> kKeys = {"name", "parent"};
          auto found = Members(kKeys, inside);
          Require(found, kKeys, 1, inside);
          object->tables.push_back({std::move(*found[0]), found[1].value_or("")});
        } else {
          static constexpr std::array<const char*, 4> kKeys = {"table", "field", "unit", "type"};
          auto found = Members(kKeys, inside);
          Require(found, kKeys, 2, inside);
          object->fields.push_back({std::move(*found[0]), std::move(*found[1]),
                                    found[2].value_or(""), found[3].value_or("")});
        }
      }
    }
  }

  // Where the walk stands, for a message: every open array of tables or
  // rows with the index of its entry being read. Built only when needed,
  // since it grows with the depth.
  std::string PathOf() const {
    std::string path;
    for (const Level& level : stack_) {
      if (level.kind == Level::kTables || level.kind == Level::kRows) {
        path += level.kind == Level::kRows ? ".rows[" : ".tables[";
        path += std::to_string(level.entries - 1) + "]";
      }
    }
    return path;
  }

  // Walks the nested tables with an explicit stack rather than recursion,
  // from just after the opening bracket of the object's "tables". The
  // content comes out flat in document order: a row's values first, then
  // its child tables, whichever of the two its JSON gives first.
  void ReadContent(ObjectContent* object) {
    std::vector<ContentItem>& content = object->content;
    stack_.clear();
    stack_.push_back({Level::kTables});
    while (!stack_.empty()) {
      Level& level = stack_.back();
      if (level.kind == Level::kValues &&
          parser_.NextPlainPair("field", "value", &field_, &value_)) {
        ++level.entries;
        AddValue(content, ContentItem{ContentStep::kValue, field_, value_});
        continue;
      }
      const Event event = parser_.Next();
      switch (level.kind) {
        case Level::kTables:
        case Level::kRows: {
          if (event == Event::kArrayEnd) {
            stack_.pop_back();
            break;
          }
          ++level.entries;
          if (event != Event::kObjectStart) Shape(PathOf(), "must be an object");
          if (level.kind == Level::kTables) {
            content.push_back({ContentStep::kOpenTable, {}, {}});
            stack_.push_back({Level::kTable, 0, content.size() - 1});
          } else {
            content.push_back({ContentStep::kBeginRow, {}, {}});
            stack_.push_back({Level::kRow, 0, content.size()});
          }
          break;  // level is not used after the push
        }
        case Level::kTable:
          if (event == Event::kObjectEnd) {
            if (!level.named) Shape(PathOf(), "lacks \"name\"");
            content.push_back({ContentStep::kCloseTable, {}, {}});
            stack_.pop_back();
          } else if (parser_.text() == "name") {
            if (parser_.Next() != Event::kString) Shape(PathOf(), "\"name\" must be a string");
            content[level.item].name = parser_.text();
            level.named = true;
          } else if (parser_.text() == "rows") {
            if (parser_.Next() != Event::kArrayStart) Shape(PathOf(), "\"rows\" must be an array");
            stack_.push_back({Level::kRows});
          } else {
            parser_.SkipValue();
          }
          break;
        case Level::kRow:
          if (event == Event::kObjectEnd) {
            stack_.pop_back();
          } else if (parser_.text() == "values" || parser_.text() == "tables") {
            const bool values = parser_.text() == "values";
            if (parser_.Next() != Event::kArrayStart) {
              Shape(PathOf(),
                    values ? "\"values\" must be an array" : "\"tables\" must be an array");
            }
            stack_.push_back({values ? Level::kValues : Level::kTables});
          } else {
            parser_.SkipValue();
          }
          break;
        case Level::kValues: {
          if (event == Event::kArrayEnd) {
            stack_.pop_back();
            break;
          }
          const std::size_t entry = level.entries++;
          const auto inside = [&] { return PathOf() + ".values[" + std::to_string(entry) + "]"; };
          if (event != Event::kObjectStart) Shape(inside(), "must be an object");
          static constexpr std::array<const char*, 2> kKeys = {"field", "value"};
          auto found = Members(kKeys, inside);
          Require(found, kKeys, 2, inside);
          AddValue(content,
                   ContentItem{ContentStep::kValue, std::move(*found[0]), std::move(*found[1])});
          break;
        }
      }
    }
  }

  // Adds a value to the row of the values array being read, after the
  // row's values so far.
  void AddValue(std::vector<ContentItem>& content, ContentItem value) {
    Level& row = stack_[stack_.size() - 2];
    if (row.item == content.size()) {
      content.push_back(std::move(value));
    } else {  // the row's child tables came first
      content.insert(content.begin() + static_cast<std::ptrdiff_t>(row.item), std::move(value));
    }
    ++row.item;
  }

  JsonPullParser& parser_;
  std::size_t index_;
  std::vector<Level> stack_;
  std::string field_;  // of a value read in one step
  std::string value_;
};

// Encodes an object's UTF-8 texts for the document in place, checking
// that the format can hold each one where it stands.
class ObjectEncoder {
 public:
  ObjectEncoder(Encoding encoding, const TextRules& rules) : encoding_(encoding), rules_(rules) {}

  void Encode(ObjectContent& object) {
    // The ID comes first, so that every later message can name the object.
    displayId_ = object.header.id;
    ObjectHeader& header = object.header;
    Attribute(header.id, "ID");
    Attribute(header.author, "Author");
    Attribute(header.version, "Version");
    Attribute(header.wellId, "WellID");
    if (header.date) Attribute(*header.date, "Date");
    for (TableDefinitionText& table : object.tables) {
      const Place where{table.table, {}};
      Text(table.table, where, "table name", rules_.tableName);
      if (!table.parent.empty()) Text(table.parent, where, "parent table name", rules_.tableName);
    }
    for (FieldDefinitionText& field : object.fields) {
      const Place where{field.table, field.field};
      Text(field.table, where, "table name", rules_.fieldTable);
      Text(field.field, where, "field name", rules_.fieldName);
      Text(field.unit, where, "unit", rules_.unit);
      Text(field.type, where, "type", rules_.type);
    }
    // The names of the open tables, as the JSON gives them, for messages.
    std::vector<std::string> open;
    for (ContentItem& item : object.content) {
      switch (item.step) {
        case ContentStep::kOpenTable:
          open.push_back(item.name);
          Text(item.name, Place{open.back(), {}}, "table name", rules_.contentName);
          break;
        case ContentStep::kValue: {
          // The field's name as the JSON gives it, for a message about the
          // value once the name itself has been encoded.
          const std::string_view table = open.empty() ? std::string_view() : open.back();
          if (IsAscii(item.name)) {
            Text(item.name, Place{table, item.name}, "field name", rules_.contentName);
            Text(item.text, Place{table, item.name}, "value", rules_.value);
          } else {
            const std::string field = item.name;
            Text(item.name, Place{table, field}, "field name", rules_.contentName);
            Text(item.text, Place{table, field}, "value", rules_.value);
          }
          break;
        }
        case ContentStep::kCloseTable:
          if (!open.empty()) open.pop_back();
          break;
        case ContentStep::kBeginRow:
          break;
      }
    }
  }

 private:
  // Where a text stands, named in a message only when there is one.
  struct Place {
    std::string_view table;
    std::string_view field;
  };

  std::string Where(const Place& place) const {
    std::string where = "object '" + displayId_ + "'";
    if (!place.table.empty()) where.append(", table '").append(place.table).append("'");
    if (!place.field.empty()) where.append(", field '").append(place.field).append("'");
    return where;
  }

  static bool IsAscii(std::string_view text) {
    unsigned char any = 0;
    for (const char c : text) any |= static_cast<unsigned char>(c);
    return any < 0x80;
  }

  // Every encoding here gives ASCII as it is, so most texts need no copy.
  void Text(std::string& text, const Place& where, const char* what, Rule problemWith) {
    if (!IsAscii(text)) {
      std::optional<std::string> bytes = EncodeText(text, encoding_);
      if (!bytes) {
        throw DataError(Where(where) + ": the " + what + " holds " +
                        FirstUnencodable(text, encoding_) + ", which " + NameOf(encoding_) +
                        " cannot encode");
      }
      text = std::move(*bytes);
    }
    if (const char* problem = problemWith(text)) {
      throw DataError(Where(where) + ": the " + what +
                      " cannot be stored in a document: " + problem);
    }
  }

  void Attribute(std::string& text, const char* name) {
    Text(text, Place{}, (std::string("attribute ") + name).c_str(), rules_.attribute);
  }

  Encoding encoding_;
  const TextRules& rules_;
  std::string displayId_;
};

}  // namespace

void EncodeObjectTexts(ObjectContent& object, Encoding encoding, int formatVersion) {
  ObjectEncoder(encoding, formatVersion >= 2 ? kExactRules : kPlacedRules).Encode(object);
}

JsonObjectReader::JsonObjectReader(std::istream& in, Encoding encoding)
    : parser_(in), encoding_(encoding) {}

std::optional<ObjectContent> JsonObjectReader::Next() {
  if (!started_) {
    started_ = true;
    ReadUntilObjects();
  }
  while (inObjects_) {
    const Event event = parser_.Next();
    if (event == Event::kArrayEnd) {
      inObjects_ = false;
      ReadAfterObjects();
      break;
    }
    const std::size_t index = index_++;
    if (event != Event::kObjectStart) {
      throw DataError("JSON objects[" + std::to_string(index) + "]: must be an object");
    }
    ObjectContent raw = RawObjectReader(parser_, index).Read();
    if (versionGiven_) {
      EncodeObjectTexts(raw, encoding_, formatVersion_);
      return raw;
    }
    waiting_.push_back(std::move(raw));
  }
  if (nextWaiting_ == waiting_.size()) return std::nullopt;
  const std::size_t index = nextWaiting_++;
  ObjectContent raw = std::move(waiting_[index]);
  waiting_[index] = ObjectContent();
  EncodeObjectTexts(raw, encoding_, formatVersion_);
  return raw;
}

void JsonObjectReader::ReadUntilObjects() {
  if (parser_.Next() != Event::kObjectStart) {
    throw DataError("JSON: the document must be an object");
  }
  for (Event event = parser_.Next(); event != Event::kObjectEnd; event = parser_.Next()) {
    if (parser_.text() == "objects") {
      if (parser_.Next() != Event::kArrayStart) break;
      inObjects_ = true;
      return;
    }
    ReadRootMember(parser_.text());
  }
  throw DataError("JSON: the document lacks its \"objects\" array");
}

void JsonObjectReader::ReadAfterObjects() {
  for (Event event = parser_.Next(); event != Event::kObjectEnd; event = parser_.Next()) {
    if (parser_.text() == "objects") throw DataError("JSON: \"objects\" is given twice");
    ReadRootMember(parser_.text());
  }
  parser_.Next();  // only the end may follow
}

// The format marks are optional, for hand-written JSON; when present they
// must be this format's. Without a version the JSON is read as version 1.
void JsonObjectReader::ReadRootMember(const std::string& key) {
  if (key == "format") {
    if (parser_.Next() != Event::kString || parser_.text() != kJsonFormatName) {
      throw DataError(std::string("JSON: \"format\" must be \"") + kJsonFormatName + "\"");
    }
  } else if (key == "formatVersion") {
    const Event event = parser_.Next();
    const std::string& number = parser_.text();
    if (event != Event::kNumber || number.size() != 1 || number[0] < '1' ||
        number[0] > '0' + kJsonFormatVersion) {
      throw DataError("JSON: this tool reads \"formatVersion\" 1 to " +
                      std::to_string(kJsonFormatVersion));
    }
    formatVersion_ = number[0] - '0';
    versionGiven_ = true;
  } else {
    parser_.SkipValue();
  }
}

}  // namespace kuv::tool
