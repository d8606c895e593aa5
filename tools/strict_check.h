// What `kuv check --strict` reports beyond what the library refuses: a
// document cut short, what reading took leniently (text dropped, tags that
// close nothing), a document that would not read back as it is once saved,
// values that do not read as their declared type, tables and fields used
// without a definition, definitions that differ from the template's, and
// header Dates that are no timestamp.
#ifndef KUV_TOOLS_STRICT_CHECK_H_
#define KUV_TOOLS_STRICT_CHECK_H_

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "kuv/document.hpp"
#include "kuv/text.hpp"

namespace kuv::tool {

// One problem and where it is; the names are the document's bytes. Empty
// names and a row of 0 mean the problem is not that narrow.
struct Finding {
  std::string object;
  std::string table;
  long long row = 0;  // 1-based within its table, as show numbers rows
  std::string field;
  std::string problem;  // UTF-8, with the document's text already decoded
};

struct StrictReport {
  std::vector<Finding> findings;
  // Problems beyond kMaxFindings, counted but not kept: a file damaged
  // throughout must not flood the report.
  std::size_t more = 0;
};

inline constexpr std::size_t kMaxFindings = 1000;

// How a field of object is declared, which its values are read by: the
// object's own definition, else the template's (definitions may be null);
// nullopt when neither declares it.
std::optional<FieldDefinition> DeclaredField(const BusinessObject& object,
                                             const Template* definitions, std::string_view table,
                                             std::string_view field);

// notes are what reading the document took leniently. definitions may be
// null, for a check without a template. Texts quoted in problems are
// decoded from the document's encoding.
StrictReport CheckStrictly(const Document& document, const std::vector<ReadNote>& notes,
                           const Template* definitions, Encoding encoding);

}  // namespace kuv::tool

#endif  // KUV_TOOLS_STRICT_CHECK_H_
