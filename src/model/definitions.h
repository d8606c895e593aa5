// The two definition maps of a business object. TableDefs maps a table name
// to its parent table name ("" for none). FieldDefs maps "table<TAB>field"
// to "unit<TAB>type". Both iterate in byte order of their keys, which the
// writer follows. A field key can be looked up as a (table, field) pair
// without building the key text.
#ifndef KUV_MODEL_DEFINITIONS_H_
#define KUV_MODEL_DEFINITIONS_H_

#include <map>
#include <string>
#include <string_view>

namespace kuv {

constexpr char kDefinitionSeparator = '\t';

struct FieldKey {
  std::string_view table;
  std::string_view field;
};

// Orders texts bytewise; a FieldKey orders as its text "table<TAB>field".
struct DefinitionOrder {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const { return a < b; }
  bool operator()(std::string_view a, const FieldKey& b) const { return Compare(a, b) < 0; }
  bool operator()(const FieldKey& a, std::string_view b) const { return Compare(b, a) > 0; }
  static int Compare(std::string_view text, const FieldKey& key);
};

using TableDefMap = std::map<std::string, std::string, DefinitionOrder>;
using FieldDefMap = std::map<std::string, std::string, DefinitionOrder>;

std::string MakeFieldKey(std::string_view table, std::string_view field);

// Splits a key or definition at its first TAB. Without a TAB the first part
// is empty and the second is the whole text; later TABs stay in the second.
struct SplitText {
  std::string_view first;
  std::string_view second;
};
SplitText SplitAtFirstTab(std::string_view text);

}  // namespace kuv

#endif  // KUV_MODEL_DEFINITIONS_H_
