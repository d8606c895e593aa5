// The document writer. Every text goes out byte for byte as the model holds
// it: nothing is escaped, quoted or converted, except that its line feeds
// are stored as the sink's line ends require.
#include "io/writer.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

#include "io/output_sink.h"
#include "io/tag_layout.h"
#include "model/definitions.h"

namespace kuv::io {

namespace {

// The lines of the layout, each without its line end.
constexpr std::string_view kProlog = "<?xml version='1.0'?>";
// The root always declares 2.0, whatever version text the store holds.
constexpr std::string_view kRootOpen = "<KUV Version='2.0'>";
constexpr std::string_view kRootClose = "</KUV>";
constexpr std::string_view kObjectClose = "</BusinessObject>";
constexpr std::string_view kDescriptionOpen = "<DataDescription>";
constexpr std::string_view kDescriptionClose = "</DataDescription>";

// Copies text to out. Names and values are mostly a few bytes long, and
// fixed-size copies of overlapping halves beat a call to memcpy there.
inline char* Put(char* out, std::string_view text) {
  const char* from = text.data();
  const std::size_t size = text.size();
  if (size >= 8 && size <= 16) {
    std::uint64_t head;
    std::uint64_t tail;
    std::memcpy(&head, from, 8);
    std::memcpy(&tail, from + size - 8, 8);
    std::memcpy(out, &head, 8);
    std::memcpy(out + size - 8, &tail, 8);
  } else if (size >= 4 && size < 8) {
    std::uint32_t head;
    std::uint32_t tail;
    std::memcpy(&head, from, 4);
    std::memcpy(&tail, from + size - 4, 4);
    std::memcpy(out, &head, 4);
    std::memcpy(out + size - 4, &tail, 4);
  } else if (size < 4) {
    for (std::size_t i = 0; i < size; ++i) out[i] = from[i];
  } else {
    std::memcpy(out, from, size);
  }
  return out + size;
}

class DocumentWriter {
 public:
  explicit DocumentWriter(OutputSink& sink) : sink_(sink) {}

  void WriteStore(const CObjectStore& store) {
    Begin();
    for (const auto& object : store.objects()) {
      if (!sink_.ok()) return;
      WriteObject(*object);
    }
    End();
  }

  void Begin() {
    Line(kProlog);
    Line(kRootOpen);
  }
  void End() { Line(kRootClose); }

  void WriteObject(const CBusinessObject& object) {
    WriteHeader(object);
    for (const auto& table : object.tables()) {
      if (!sink_.ok()) return;
      WriteTable(*table);
    }
    Line(kObjectClose);
  }

 private:
  // Where the walk stands in one open table: the row being written and the
  // next of that row's child tables.
  struct Frame {
    const CTableNode* table;
    std::size_t row;
    std::size_t child;
    bool singleLineFields;  // no field name of the table holds a line feed
  };

  void Line(std::string_view layout) {
    sink_.Append(layout);
    sink_.EndLine();
  }

  void WriteHeader(const CBusinessObject& object) {
    sink_.Append('<');
    AppendObjectTag(sink_, object);
    Line(">");
    Line(kDescriptionOpen);
    for (const auto& [table, parent] : object.TableDefs) {
      sink_.Append('<');
      AppendTableDefTag(sink_, table, parent);
      Line(">");
    }
    for (const auto& [key, definition] : object.FieldDefs) {
      sink_.Append('<');
      AppendFieldDefTag(sink_, key, definition);
      Line(">");
    }
    Line(kDescriptionClose);
  }

  // A table element with its rows; child tables are nested through an
  // explicit stack, so the depth of the tree never reaches the call stack.
  void WriteTable(const CTableNode& top) {
    stack_.clear();
    OpenTable(top);
    while (!stack_.empty() && sink_.ok()) {
      Frame& frame = stack_.back();
      const auto& rows = frame.table->rows();
      if (frame.row == rows.size()) {
        CloseTable(*frame.table);
        stack_.pop_back();
        continue;
      }
      const CRowNode& row = *rows[frame.row];
      if (frame.child == 0) WriteValues(row, frame.singleLineFields);
      const auto& children = row.childTables();
      if (frame.child < children.size()) {
        const CTableNode& child = *children[frame.child++];
        OpenTable(child);  // frame is not used after this
        continue;
      }
      ++frame.row;
      frame.child = 0;
    }
  }

  // Writes the opening line and pushes the table's frame. Its field names
  // are looked at once here rather than with every value.
  void OpenTable(const CTableNode& table) {
    sink_.Append('<');
    sink_.AppendText(table.name());
    Line(">");
    bool singleLine = true;
    for (std::size_t i = 0; singleLine && i < table.FieldNameCount(); ++i) {
      singleLine = OutputSink::IsSingleLine(table.FieldName(static_cast<std::uint32_t>(i)));
    }
    stack_.push_back({&table, 0, 0, singleLine});
  }

  void CloseTable(const CTableNode& table) {
    sink_.Append("</");
    sink_.AppendText(table.name());
    Line(">");
  }

  // One line per value, "<field>value</field>", copied in one go while it
  // fits the sink's buffer and no text in it holds a line feed.
  void WriteValues(const CRowNode& row, bool singleLineFields) {
    const CTableNode& table = *row.parentTable();
    const std::size_t lineEndSize = sink_.lineEndSize();
    for (const CValueNode& value : row.values()) {
      const std::string_view field = table.FieldName(value.fieldIndex());
      const std::string_view text = value.value();
      char* out = nullptr;
      if (singleLineFields && OutputSink::IsSingleLine(text)) {
        out = sink_.Claim(2 * field.size() + text.size() + 5 + lineEndSize);
      }
      if (out != nullptr) {
        *out++ = '<';
        out = Put(out, field);
        *out++ = '>';
        out = Put(out, text);
        *out++ = '<';
        *out++ = '/';
        out = Put(out, field);
        *out++ = '>';
        sink_.PutLineEnd(out);
      } else {
        sink_.Append('<');
        sink_.AppendText(field);
        sink_.Append('>');
        sink_.AppendText(text);
        sink_.Append("</");
        sink_.AppendText(field);
        Line(">");
      }
    }
  }

  OutputSink& sink_;
  std::vector<Frame> stack_;
};

}  // namespace

class ObjectStreamWriter::Writer {
 public:
  Writer(platform::OutputFile& output, platform::LineEnd lineEnd)
      : sink(output, lineEnd), writer(sink) {}
  OutputSink sink;
  DocumentWriter writer;
};

ObjectStreamWriter::ObjectStreamWriter(platform::OutputFile& output, platform::LineEnd lineEnd)
    : writer_(std::make_unique<Writer>(output, lineEnd)) {
  writer_->writer.Begin();
}

ObjectStreamWriter::~ObjectStreamWriter() = default;

void ObjectStreamWriter::Write(const CBusinessObject& object) {
  if (writer_->sink.ok()) writer_->writer.WriteObject(object);
}

bool ObjectStreamWriter::Finish() {
  writer_->writer.End();
  return writer_->sink.Flush();
}

bool WriteDocument(const CObjectStore& store, platform::OutputFile& output,
                   platform::LineEnd lineEnd, OutputSink::Writes writes) {
  OutputSink sink(output, lineEnd, OutputSink::kDefaultChunkSize, writes);
  DocumentWriter(sink).WriteStore(store);
  return sink.Flush();
}

}  // namespace kuv::io
