#include "json_writer.h"

#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "content_walk.h"
#include "json_emitter.h"
#include "tool_error.h"

namespace kuv::tool {

namespace {

// Where a text stands in its object, for a message.
struct Place {
  std::optional<std::string_view> table;
  std::optional<std::string_view> field;
  const char* attribute = nullptr;
};

// A decoded text: the bytes themselves when they are ASCII, which every
// encoding gives as it is, else a UTF-8 copy. Most texts are ASCII, and
// they are written without a copy of their own.
class Decoded {
 public:
  static Decoded Ascii(std::string_view bytes) { return Decoded(bytes, std::string()); }
  static Decoded Copy(std::string text) { return Decoded(std::string_view(), std::move(text)); }
  operator std::string_view() const { return copied_ ? std::string_view(text_) : ascii_; }

 private:
  Decoded(std::string_view ascii, std::string text)
      : ascii_(ascii), text_(std::move(text)), copied_(ascii.data() == nullptr) {}
  std::string_view ascii_;
  std::string text_;
  bool copied_;
};

bool IsAscii(std::string_view bytes) {
  unsigned char any = 0;
  for (const char c : bytes) any |= static_cast<unsigned char>(c);
  return any < 0x80;
}

// Decodes the document's bytes; a text that is not valid in the encoding
// stops the export with a message naming where it stands.
class Decoder {
 public:
  Decoder(Encoding encoding, std::string_view id) : encoding_(encoding), id_(id) {}

  Decoded operator()(std::string_view bytes, const Place& place = Place()) const {
    if (IsAscii(bytes)) return Decoded::Ascii(bytes.data() == nullptr ? "" : bytes);
    if (std::optional<std::string> text = DecodeText(bytes, encoding_)) {
      return Decoded::Copy(std::move(*text));
    }
    std::string where = "object '" + DecodeForDisplay(id_, encoding_) + "'";
    if (place.attribute != nullptr) where += std::string(", attribute ") + place.attribute;
    if (place.table) where += ", table '" + DecodeForDisplay(*place.table, encoding_) + "'";
    if (place.field) where += ", field '" + DecodeForDisplay(*place.field, encoding_) + "'";
    throw DataError(where +
                    ": the text is not valid UTF-8; choose the document's encoding with "
                    "--encoding");
  }

 private:
  Encoding encoding_;
  std::string_view id_;
};

// Where the content walk stands inside one open table.
enum class RowState { kNone, kInValues, kInTables };

}  // namespace

JsonDocumentWriter::JsonDocumentWriter(std::ostream& out, Encoding encoding)
    : emitter_(std::make_unique<JsonEmitter>(out)), encoding_(encoding) {
  emitter_->BeginObject();
  emitter_->Key("format");
  emitter_->String(kJsonFormatName);
  emitter_->Key("formatVersion");
  emitter_->Number(kJsonFormatVersion);
  emitter_->Key("objects");
  emitter_->BeginArray();
}

JsonDocumentWriter::~JsonDocumentWriter() = default;

void JsonDocumentWriter::WriteObject(const BusinessObject& object) {
  JsonEmitter& json = *emitter_;
  const Decoder decode(encoding_, object.id());

  json.BeginObject();
  json.Key("id");
  json.String(decode(object.id()));
  json.Key("author");
  json.String(decode(object.author(), {{}, {}, "Author"}));
  json.Key("version");
  json.String(decode(object.version(), {{}, {}, "Version"}));
  json.Key("wellId");
  json.String(decode(object.well_id(), {{}, {}, "WellID"}));
  json.Key("date");
  json.String(decode(object.date(), {{}, {}, "Date"}));

  json.Key("definitions");
  json.BeginObject();
  json.Key("tables");
  json.BeginArray();
  for (const TableDefinition& table : object.table_definitions()) {
    const Place where{table.table, {}};
    json.FlatObject(
        {{"name", decode(table.table, where)}, {"parent", decode(table.parent, where)}});
  }
  json.EndArray();
  json.Key("fields");
  json.BeginArray();
  for (const FieldDefinition& field : object.field_definitions()) {
    const Place where{field.table, field.field};
    json.FlatObject({{"table", decode(field.table, where)},
                     {"field", decode(field.field, where)},
                     {"unit", decode(field.unit, where)},
                     {"type", decode(field.type, where)}});
  }
  json.EndArray();
  json.EndObject();

  json.Key("tables");
  json.BeginArray();
  // The row state of each open table.
  std::vector<RowState> open;
  const auto closeRow = [&] {
    RowState& state = open.back();
    if (state == RowState::kNone) return;
    json.EndArray();  // the row's values or its child tables
    json.EndObject();
    state = RowState::kNone;
  };
  const auto beginRow = [&] {
    closeRow();
    json.BeginObject();
    json.Key("values");
    json.BeginArray();
    open.back() = RowState::kInValues;
  };
  ContentWalk walk(object);
  ContentEvent item;
  while (walk.Next(&item)) {
    switch (item.step) {
      case ContentStep::kOpenTable:
        if (!open.empty() && open.back() == RowState::kInValues) {
          json.EndArray();
          json.Key("tables");
          json.BeginArray();
          open.back() = RowState::kInTables;
        }
        json.BeginObject();
        json.Key("name");
        json.String(decode(item.name, {item.name, {}}));
        json.Key("rows");
        json.BeginArray();
        open.push_back(RowState::kNone);
        break;
      case ContentStep::kBeginRow:
        beginRow();
        break;
      case ContentStep::kValue: {
        const Place where{walk.table(), item.name};
        json.FlatPair("field", decode(item.name, where), "value", decode(item.text, where));
        if (progress_ != nullptr) progress_->Update(++valuesWritten_);
        break;
      }
      case ContentStep::kCloseTable:
        closeRow();
        json.EndArray();
        json.EndObject();
        open.pop_back();
        break;
    }
  }
  json.EndArray();
  json.EndObject();
}

void JsonDocumentWriter::Finish() {
  emitter_->EndArray();
  emitter_->EndObject();
  emitter_->EndDocument();
}

}  // namespace kuv::tool
