// A value's text as SQL stores it in a column of a kind: a number, a 0 or
// 1, an ISO 8601 date, or the text itself when it does not read as one.
#ifndef KUV_SQLITE_VALUE_CELLS_H_
#define KUV_SQLITE_VALUE_CELLS_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "kuv/text.hpp"
#include "kuv/values.hpp"

namespace kuv::sqlite {

// "2024-03-18T14:05:00", with a fraction of a second when there is one.
std::string IsoText(const DateParts& date);

// What goes into the value column, or, when readsAsKind is false, that the
// text goes into the text column.
struct Cell {
  enum class Type { kInteger, kReal, kText } type = Type::kText;
  bool readsAsKind = true;
  std::int64_t integer = 0;
  double real = 0;
  std::string text;  // a date's ISO text
};

// The cell of a text in a column of kind (not kText): integers and
// booleans as integers, floats as reals (a NaN, which SQL cannot hold, is
// kept as text), dates as ISO text.
void ReadCell(std::string_view text, ValueKind kind, Cell* cell);

// Texts of a document as SQL's UTF-8: a view of bytes that are ASCII,
// else their decoding, held by the converter until the next call on the
// same slot.
class Utf8Texts {
 public:
  explicit Utf8Texts(Encoding encoding) : encoding_(encoding) {}
  // False when the bytes are not valid in the encoding (only utf-8 can
  // fail).
  bool Convert(std::string_view bytes, std::string* slot, std::string_view* utf8) const;
  // The same, for names and the like that are kept: a copy.
  bool Copy(std::string_view bytes, std::string* utf8) const;

 private:
  Encoding encoding_;
};

}  // namespace kuv::sqlite

#endif  // KUV_SQLITE_VALUE_CELLS_H_
