// kuv: what reading takes leniently, and where a saved document would read
// back other than it is: the library's reader and save check report these,
// and the document API, the tool and the Python package hand them on.
#ifndef KUV_READ_PROBLEMS_HPP_
#define KUV_READ_PROBLEMS_HPP_

#include <cstddef>
#include <optional>
#include <string>

namespace kuv {

// Something reading took leniently, without an error: text the format has
// no place for, dropped, or a tag that closes nothing or has nowhere to go.
struct ReadNote {
  std::string object;   // the business object begun last ("" before the first)
  std::string table;    // the innermost open table ("" outside the tables)
  std::size_t row = 0;  // that table's rows so far
  std::string what;     // "the closing tag </Tops> closes nothing that is open"
};

// Where a document, once saved, would first read back other than it is in
// memory, and why.
struct ReadBackProblem {
  std::string object;   // its ID
  std::string table;    // the innermost table, or "" above the tables
  std::size_t row = 0;  // 1-based within that table; 0 for none
  std::optional<std::string> field;
  std::string where;  // all of that: "object 'Logs', table 'Run' > 'Sample', row 3, field 'GR'"
  std::string why;    // "the row does not begin with 'DEPT', the field that begins ..."
};

}  // namespace kuv

#endif  // KUV_READ_PROBLEMS_HPP_
