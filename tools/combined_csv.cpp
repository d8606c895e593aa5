#include "combined_csv.h"

#include <cerrno>
#include <cstring>
#include <utility>

#include "kuv/table_rows.hpp"
#include "tool_error.h"

namespace kuv::tool {

namespace {

// The temporary file is the tool's own, read back by the same process:
// numbers go in the machine's byte order.
template <typename Number>
void Put(std::string* out, Number number) {
  out->append(reinterpret_cast<const char*>(&number), sizeof number);
}

void PutText(std::string* out, std::string_view text) {
  Put<std::uint64_t>(out, text.size());
  out->append(text);
}

bool IsAscii(std::string_view bytes) {
  for (const char c : bytes) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

}  // namespace

DocumentRows::DocumentRows(const Document& document, std::string_view only,
                           const std::optional<std::string>& objectId, Encoding encoding) {
  // What is known of each table name while the document is walked.
  struct Gathering {
    TableColumns layout;
    std::size_t piece = 0;
    std::size_t lastObject = 0;  // whose ID the piece listed last (1 for the first)
  };
  std::map<std::string, Gathering, std::less<>> gathering;
  Gathering* last = nullptr;
  std::string_view lastTable;
  std::size_t objectIndex = 0;
  std::string slot;

  for (const BusinessObject object : document.objects()) {
    const std::size_t thisObject = ++objectIndex;
    if (objectId && object.id() != *objectId) continue;
    // Texts of ASCII alone, the most, are the same in every encoding.
    const auto utf8 = [&](std::string_view bytes, std::string_view table,
                          std::string_view field) -> std::string_view {
      if (IsAscii(bytes)) return bytes;
      if (std::optional<std::string> text = DecodeText(bytes, encoding)) {
        slot = std::move(*text);
        return slot;
      }
      std::string where = "object '" + DecodeForDisplay(object.id(), encoding) + "'";
      if (!table.empty()) where += ", table '" + DecodeForDisplay(table, encoding) + "'";
      if (!field.empty()) where += ", field '" + DecodeForDisplay(field, encoding) + "'";
      throw DataError(where +
                      ": the text is not valid UTF-8; choose the document's encoding with "
                      "--encoding");
    };
    const auto decode = [&](std::string_view bytes, std::string_view table,
                            std::string_view field) {
      return std::string(utf8(bytes, table, field));
    };
    const std::string id = decode(object.id(), {}, {});
    const auto gatheringOf = [&](std::string_view table) -> Gathering& {
      if (last && table == lastTable) return *last;
      auto found = gathering.find(table);
      if (found == gathering.end()) {
        found = gathering.emplace(std::string(table), Gathering{}).first;
        found->second.piece = pieces_.size();
        pieces_.push_back(
            Piece{std::string(table), decode(table, table, {}), {}, {}, false, 0, {}});
      }
      last = &found->second;
      lastTable = found->first;
      return *last;
    };

    std::optional<TableRowWalk> walk;
    if (only.empty()) {
      walk.emplace(object);
    } else {
      walk.emplace(object, only);
    }
    while (const std::optional<TableRow> row = walk->Next()) {
      Gathering& table = gatheringOf(row->table);
      Piece& piece = pieces_[table.piece];
      if (table.lastObject != thisObject) {
        piece.objects.push_back(id);
        table.lastObject = thisObject;
      }
      const std::vector<std::size_t>& columnOf = table.layout.ColumnsOf(row->row);
      const std::vector<TableColumn>& columns = table.layout.columns();
      while (piece.columns.size() < columns.size()) {
        const TableColumn& column = columns[piece.columns.size()];
        const std::optional<FieldDefinition> declared =
            object.field_definition(row->table, column.field);
        piece.columns.push_back(
            Column{decode(column.field, row->table, column.field), column.occurrence,
                   declared ? decode(declared->unit, row->table, column.field) : std::string()});
      }
      std::string& out = piece.bytes;
      Put<std::uint32_t>(&out, static_cast<std::uint32_t>(piece.objects.size() - 1));
      Put<std::int64_t>(&out, row->id);
      Put<std::int64_t>(&out, row->parentId);
      PutText(&out, row->parentId >= 0 ? utf8(row->parentTable, row->parentTable, {}) : "");
      const Items<Value> values = row->row.values();
      Put<std::uint64_t>(&out, values.size());
      for (std::size_t i = 0; i < values.size(); ++i) {
        Put<std::uint64_t>(&out, columnOf[i]);
        PutText(&out, utf8(values[i].text, row->table, values[i].field));
      }
      piece.nested = piece.nested || row->parentId >= 0;
      ++piece.rows;
    }
    // A table without rows still has its header.
    if (!only.empty() && walk->met()) gatheringOf(only);
  }
}

// A temporary file that the rows of one table wait in: written once, then
// read once from its start. The system removes it when it is closed, or
// when the tool ends however it ends.
class CombinedTables::Spill {
 public:
  Spill() : file_(std::tmpfile()) {
    if (!file_) {
      throw DataError(std::string("cannot make a temporary file: ") + std::strerror(errno));
    }
  }
  ~Spill() { std::fclose(file_); }
  Spill(const Spill&) = delete;
  Spill& operator=(const Spill&) = delete;

  void Write(std::string_view bytes) {
    if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) Fail();
  }
  void Rewind() {
    if (std::fflush(file_) != 0 || std::fseek(file_, 0, SEEK_SET) != 0) Fail();
  }
  template <typename Number>
  Number Read() {
    Number number;
    Bytes(reinterpret_cast<char*>(&number), sizeof number);
    return number;
  }
  void Text(std::string* text) {
    text->resize(Read<std::uint64_t>());
    Bytes(text->data(), text->size());
  }

 private:
  void Bytes(char* to, std::size_t size) {
    if (std::fread(to, 1, size, file_) != size) Fail();
  }
  [[noreturn]] void Fail() {
    throw DataError(std::string("cannot keep rows in a temporary file: ") +
                    (std::ferror(file_) ? std::strerror(errno) : "it ended early"));
  }

  std::FILE* file_;
};

struct CombinedTables::Table {
  std::string table;  // the documents' bytes
  std::string name;   // UTF-8
  std::vector<DocumentRows::Column> columns;
  std::map<std::pair<std::string, int>, std::uint64_t> columnOf;
  bool nested = false;
  std::size_t pieces = 0;
  Spill spill;
};

CombinedTables::CombinedTables(bool withSource, CsvUnits units)
    : withSource_(withSource), units_(units) {}

CombinedTables::~CombinedTables() = default;

void CombinedTables::Add(const std::string& source, DocumentRows rows) {
  const auto sourceIndex = static_cast<std::uint32_t>(sources_.size());
  sources_.push_back(DecodeForDisplay(source, Encoding::kUtf8));
  for (DocumentRows::Piece& piece : rows.pieces_) {
    auto found = byName_.find(piece.table);
    if (found == byName_.end()) {
      tables_.push_back(std::make_unique<Table>());
      tables_.back()->table = piece.table;
      tables_.back()->name = piece.name;
      found = byName_.emplace(piece.table, tables_.back().get()).first;
    }
    Table& table = *found->second;
    // Where each of the piece's columns stands among the table's.
    std::string header;
    Put<std::uint32_t>(&header, sourceIndex);
    Put<std::uint64_t>(&header, piece.objects.size());
    for (const std::string& id : piece.objects) PutText(&header, id);
    Put<std::uint64_t>(&header, piece.columns.size());
    for (DocumentRows::Column& column : piece.columns) {
      const auto [at, added] =
          table.columnOf.emplace(std::pair(column.field, column.occurrence), table.columns.size());
      if (added) table.columns.push_back(std::move(column));
      Put<std::uint64_t>(&header, at->second);
    }
    Put<std::uint64_t>(&header, piece.rows);
    table.nested = table.nested || piece.nested;
    table.spill.Write(header);
    table.spill.Write(piece.bytes);
    ++table.pieces;
    piece.bytes = std::string();  // let its memory go at once
  }
}

std::vector<std::string> CombinedTables::tables() const {
  std::vector<std::string> names;
  for (const auto& table : tables_) names.push_back(table->table);
  return names;
}

bool CombinedTables::Has(std::string_view table) const {
  return byName_.find(table) != byName_.end();
}

void CombinedTables::Write(std::string_view name, std::ostream& out) {
  Table& table = *byName_.find(name)->second;
  const std::size_t leading = (withSource_ ? 1 : 0) + 2 + (table.nested ? 2 : 0);
  std::string line = withSource_ ? "source,object,row_id" : "object,row_id";
  if (table.nested) line += ",parent_table,parent_row_id";
  for (const DocumentRows::Column& column : table.columns) {
    line += ',';
    AppendCsvCell(&line, units_ == CsvUnits::kHeader && !column.unit.empty()
                             ? column.field + " [" + column.unit + "]"
                             : column.field);
  }
  line += "\r\n";
  if (units_ == CsvUnits::kRow) {
    line.append(leading - 1, ',');
    for (const DocumentRows::Column& column : table.columns) {
      line += ',';
      AppendCsvCell(&line, column.unit);
    }
    line += "\r\n";
  }
  out << line;

  Spill& spill = table.spill;
  spill.Rewind();
  std::vector<std::string> objects;
  std::vector<std::uint64_t> columnOf;
  std::vector<std::string> cells(table.columns.size());
  std::string parent;
  std::string text;
  for (std::size_t piece = 0; piece < table.pieces; ++piece) {
    const std::string& source = sources_[spill.Read<std::uint32_t>()];
    objects.resize(spill.Read<std::uint64_t>());
    for (std::string& id : objects) spill.Text(&id);
    columnOf.resize(spill.Read<std::uint64_t>());
    for (std::uint64_t& column : columnOf) column = spill.Read<std::uint64_t>();
    const auto rows = spill.Read<std::uint64_t>();
    for (std::uint64_t row = 0; row < rows; ++row) {
      const std::string& object = objects.at(spill.Read<std::uint32_t>());
      const auto id = spill.Read<std::int64_t>();
      const auto parentId = spill.Read<std::int64_t>();
      spill.Text(&parent);
      for (std::string& cell : cells) cell.clear();
      const auto values = spill.Read<std::uint64_t>();
      for (std::uint64_t value = 0; value < values; ++value) {
        const std::uint64_t local = spill.Read<std::uint64_t>();
        spill.Text(&text);
        cells.at(columnOf.at(local)).swap(text);
      }
      line.clear();
      if (withSource_) {
        AppendCsvCell(&line, source);
        line += ',';
      }
      AppendCsvCell(&line, object);
      line += ',' + std::to_string(id);
      AppendCsvRowEnd(&line, table.nested, parent, parentId, cells);
      out << line;
    }
  }
}

}  // namespace kuv::tool
