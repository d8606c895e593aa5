// The document writer. Everything goes out byte for byte as the model holds
// it: nothing is escaped, quoted or converted.
#include "io/writer.h"

#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "io/output_sink.h"
#include "model/definitions.h"

namespace kuv::io {

namespace {

constexpr std::string_view kProlog = "<?xml version='1.0'?>\n";
// The root always declares 2.0, whatever version text the store holds.
constexpr std::string_view kRootOpen = "<KUV Version='2.0'>\n";
constexpr std::string_view kRootClose = "</KUV>\n";
constexpr std::string_view kObjectClose = "</BusinessObject>\n";
constexpr std::string_view kDescriptionOpen = "<DataDescription>\n";
constexpr std::string_view kDescriptionClose = "</DataDescription>\n";

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
    sink_.Append(kProlog);
    sink_.Append(kRootOpen);
    for (const auto& object : store.objects()) {
      if (!sink_.ok()) return;
      WriteObject(*object);
    }
    sink_.Append(kRootClose);
  }

 private:
  // Where the walk stands in one open table: the row being written and the
  // next of that row's child tables.
  struct Frame {
    const CTableNode* table;
    std::size_t row;
    std::size_t child;
  };

  void WriteObject(const CBusinessObject& object) {
    sink_.Append("<BusinessObject ID='");
    sink_.Append(object.id);
    sink_.Append("' Author='");
    sink_.Append(object.author);
    sink_.Append("' Version='");
    sink_.Append(object.version);
    sink_.Append("' WellID='");
    sink_.Append(object.wellId);
    sink_.Append("' Date='");
    sink_.Append(object.date);
    sink_.Append("'>\n");

    sink_.Append(kDescriptionOpen);
    for (const auto& [table, parent] : object.TableDefs) {
      sink_.Append("<TableDef Table='");
      sink_.Append(table);
      if (!parent.empty()) {
        sink_.Append("' Parent='");
        sink_.Append(parent);
      }
      sink_.Append("'/>\n");
    }
    for (const auto& [key, definition] : object.FieldDefs) {
      const SplitText names = SplitAtFirstTab(key);
      const SplitText unitAndType = SplitAtFirstTab(definition);
      sink_.Append("<FieldDef Table='");
      sink_.Append(names.first);
      sink_.Append("' Field='");
      sink_.Append(names.second);
      sink_.Append("' Unit='");
      sink_.Append(unitAndType.first);
      sink_.Append("' Type='");
      sink_.Append(unitAndType.second);
      sink_.Append("'/>\n");
    }
    sink_.Append(kDescriptionClose);

    for (const auto& table : object.tables()) {
      if (!sink_.ok()) return;
      WriteTable(*table);
    }
    sink_.Append(kObjectClose);
  }

  // A table element with its rows; child tables are nested through an
  // explicit stack, so the depth of the tree never reaches the call stack.
  void WriteTable(const CTableNode& top) {
    stack_.clear();
    OpenTable(top);
    stack_.push_back({&top, 0, 0});
    while (!stack_.empty() && sink_.ok()) {
      Frame& frame = stack_.back();
      const auto& rows = frame.table->rows();
      if (frame.row == rows.size()) {
        CloseTable(*frame.table);
        stack_.pop_back();
        continue;
      }
      const CRowNode& row = *rows[frame.row];
      if (frame.child == 0) WriteValues(row);
      const auto& children = row.childTables();
      if (frame.child < children.size()) {
        const CTableNode& child = *children[frame.child++];
        OpenTable(child);
        stack_.push_back({&child, 0, 0});  // frame is not used after this
        continue;
      }
      ++frame.row;
      frame.child = 0;
    }
  }

  void OpenTable(const CTableNode& table) {
    sink_.Append('<');
    sink_.Append(table.name());
    sink_.Append(">\n");
  }

  void CloseTable(const CTableNode& table) {
    sink_.Append("</");
    sink_.Append(table.name());
    sink_.Append(">\n");
  }

  // One line per value, "<field>value</field>\n", copied in one go while
  // it fits the sink's buffer.
  void WriteValues(const CRowNode& row) {
    const CTableNode& table = *row.parentTable();
    for (const CValueNode& value : row.values()) {
      const std::string_view field = table.FieldName(value.fieldIndex());
      const std::string_view text = value.value();
      if (char* out = sink_.Claim(2 * field.size() + text.size() + 6)) {
        *out++ = '<';
        out = Put(out, field);
        *out++ = '>';
        out = Put(out, text);
        *out++ = '<';
        *out++ = '/';
        out = Put(out, field);
        *out++ = '>';
        *out = '\n';
      } else {
        sink_.Append('<');
        sink_.Append(field);
        sink_.Append('>');
        sink_.Append(text);
        sink_.Append("</");
        sink_.Append(field);
        sink_.Append(">\n");
      }
    }
  }

  OutputSink& sink_;
  std::vector<Frame> stack_;
};

}  // namespace

bool WriteDocument(const CObjectStore& store, platform::OutputFile& output) {
  OutputSink sink(output);
  DocumentWriter(sink).WriteStore(store);
  return sink.Flush();
}

}  // namespace kuv::io
