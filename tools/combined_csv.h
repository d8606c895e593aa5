// Tables gathered from many objects and documents into one CSV per table
// name, laid out as the library lays tables out (kuv/table_rows.hpp),
// behind leading columns that say where each row comes from: source (the
// document's path as given) when asked, and object (its ID). Columns are
// the union of the fields in the order they first appear.
//
// A document is gathered into DocumentRows on any thread, then joined in
// order by CombinedTables; its rows wait in a temporary file until every
// column is known, so that no more than one document is ever held.
#ifndef KUV_TOOLS_COMBINED_CSV_H_
#define KUV_TOOLS_COMBINED_CSV_H_

#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "csv_writer.h"
#include "kuv/document.hpp"
#include "kuv/text.hpp"

namespace kuv::tool {

// One document's rows, per table name, with their texts in UTF-8.
class DocumentRows {
 public:
  // The rows of the table named only (every table when empty) of each
  // object, or of each object whose ID is objectId when given. A table of
  // that name without rows counts as met. Throws a ToolError naming the
  // object, table and field of a text that is not valid in the encoding.
  DocumentRows(const Document& document, std::string_view only,
               const std::optional<std::string>& objectId, Encoding encoding);

 private:
  friend class CombinedTables;
  struct Column {
    std::string field;
    int occurrence = 0;
    std::string unit;  // as the object that first holds it declares it
  };
  // A table's rows: each one object index, row_id, parent_row_id, parent
  // table, value count, then (column, text) per value.
  struct Piece {
    std::string table;  // the document's bytes
    std::string name;   // UTF-8
    std::vector<Column> columns;
    std::vector<std::string> objects;  // IDs, in UTF-8
    bool nested = false;
    std::uint64_t rows = 0;
    std::string bytes;
  };
  std::vector<Piece> pieces_;  // in the order the tables first appear
};

// Joins documents' rows, in the order they are added.
class CombinedTables {
 public:
  CombinedTables(bool withSource, CsvUnits units);
  ~CombinedTables();
  CombinedTables(const CombinedTables&) = delete;
  CombinedTables& operator=(const CombinedTables&) = delete;

  // Throws a ToolError when a temporary file cannot be written.
  void Add(const std::string& source, DocumentRows rows);
  // The table names met, in the order they first appeared (the documents'
  // bytes).
  std::vector<std::string> tables() const;
  bool Has(std::string_view table) const;
  // Writes the table's CSV: one line of names (and, with CsvUnits::kRow,
  // one of units), then its rows, each line ended by CRLF.
  void Write(std::string_view table, std::ostream& out);

 private:
  class Spill;
  struct Table;
  bool withSource_;
  CsvUnits units_;
  std::vector<std::string> sources_;
  std::vector<std::unique_ptr<Table>> tables_;  // in the order met
  std::map<std::string, Table*, std::less<>> byName_;
};

}  // namespace kuv::tool

#endif  // KUV_TOOLS_COMBINED_CSV_H_
