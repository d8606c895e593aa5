// kuv: what differs between two versions of a document. The kuv tool's
// diff and the Python package's kuv.diff both report what this finds.
//
// Objects are matched by ID; when an ID is repeated, the first of each side
// goes with the first of the other, the second with the second, and so on.
// Of each pair come, in this order: the header (Author, Version, WellID,
// Date), the data description (tables and fields added, removed, or with
// another Parent, Unit or Type), then the tables.
//
// Tables are laid out as kuv/table_rows.hpp lays them out. The rows of one
// table name that share a parent row (or all of them at the top level) are
// matched by a key: the field that --key names for the table, else the
// table's first field when its texts are unique among those rows, on both
// sides, for every parent; else by position. Rows of matched rows' child
// tables are matched in the same way under them. A row or a table node
// that one side lacks is one difference, whatever it holds. Values are
// matched by field (and occurrence, for a field repeated in a row) and
// compare as text; numbers of fields declared numeric (kuv::KindOfType:
// float or integer, by the object's own definitions) compare within a
// tolerance when one is given.
#ifndef KUV_DIFF_HPP_
#define KUV_DIFF_HPP_

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "kuv/document.hpp"

namespace kuv {

// How far two numbers may lie apart and still be the same value.
struct Tolerance {
  double amount = 0;
  // amount is a percentage of the larger magnitude of the two
  bool relative = false;
};

// "0.001" (absolute) or "0.5%" (relative): a finite number, not negative,
// as kuv::ReadValue reads a float; nullopt for any other text.
KUV_DOCUMENT_API std::optional<Tolerance> ParseTolerance(std::string_view text);

// Whether two values are the same: equal texts, or, with a tolerance, two
// numbers of the kind within it.
KUV_DOCUMENT_API bool SameValue(std::string_view before, std::string_view after, ValueKind kind,
                                const std::optional<Tolerance>& tolerance);

struct DiffOptions {
  // The key field of a table's rows, by table name (exact, as in the
  // document). A row without that field is matched by position among the
  // others without it; rows of one key text are matched in order.
  std::map<std::string, std::string, std::less<>> keys;
  // Numbers of fields declared numeric compare within it; without it,
  // every value compares as exact text.
  std::optional<Tolerance> tolerance;
};

// What a difference is about.
enum class DiffPart {
  kObject,           // a whole business object
  kHeader,           // one of its header texts
  kTableDefinition,  // a TableDef
  kFieldDefinition,  // a FieldDef
  kTable,            // the rows of a table under one parent row, all at once
  kRow,              // a row, with all it holds
  kValue,            // one value of a row that both sides hold
};
enum class DiffChange { kAdded, kRemoved, kChanged };

// "object", "header", "table definition", "field definition", "table",
// "row", "value"; "added", "removed", "changed".
KUV_DOCUMENT_API const char* NameOf(DiffPart part);
KUV_DOCUMENT_API const char* NameOf(DiffChange change);

// One difference. Texts are the documents' bytes, copied.
struct Difference {
  DiffPart part = DiffPart::kValue;
  DiffChange change = DiffChange::kChanged;
  std::string object;            // its ID
  std::size_t objectNumber = 1;  // 2 for the second object of that ID, and so on
  // The table of a row or value, the table named by a definition, the
  // table whose rows a kTable difference counts; "" otherwise.
  std::string table;
  // Where a row stands: its table and key, after those of the rows that
  // hold it, "Casing[Name=Surface]/CementStage[1]" (a key field and its
  // text, or the row's 1-based position among the rows of its parent row).
  // For a kTable difference, the row that holds the table ("" at the top).
  std::string row;
  // The row's row_id on each side, as CSV export and frames number rows
  // (for a value or row; -1 where that side has none).
  std::int64_t beforeRow = -1;
  std::int64_t afterRow = -1;
  // The value's field, or the field of a FieldDef; "" otherwise.
  std::string field;
  int occurrence = 0;  // 1 for a field's second value in its row
  // What changed: "Author", "Version", "WellID", "Date" of a header,
  // "Parent" of a TableDef, "Unit" or "Type" of a FieldDef; "" otherwise.
  std::string attribute;
  // The texts on each side, where there is one. A row added or removed
  // gives its values ("Name=Liner, OD=7.000"), a table its row count
  // ("12 rows"), a definition added or removed its Parent or its Unit and
  // Type ("Parent=Casing", "Unit=m, Type=float").
  std::optional<std::string> before;
  std::optional<std::string> after;
};

// Compares before with after and calls report with each difference, in
// order: the objects of before in their order (objects only before holds
// as they come), then the objects only after holds. Within a pair of
// objects: header, definitions, then the tables, the rows under each
// parent row in the order they first appear (so a child table's rows come
// after those of the rows that hold them). Nothing is reported for two
// documents that hold the same. An exception that report throws stops the
// comparison and goes on. Neither document may change meanwhile.
KUV_DOCUMENT_API void Diff(const Document& before, const Document& after,
                           const DiffOptions& options,
                           const std::function<void(const Difference&)>& report);

}  // namespace kuv

#endif  // KUV_DIFF_HPP_
