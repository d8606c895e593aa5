// Typed values written into a document: a field's declared type says which
// it takes (kuv::KindOfType), so that what is written reads back as a value
// of its kind. Texts go in as they are, into any field.
#ifndef KUV_PYTHON_TYPED_WRITES_H_
#define KUV_PYTHON_TYPED_WRITES_H_

#include <string>
#include <string_view>

#include "kuv/document.hpp"
#include "kuv/values.hpp"

namespace kuv::python {

// A field as a destination of typed values.
struct FieldKind {
  ValueKind kind = ValueKind::kText;
  std::string type;   // as declared; "" when it is not
  std::string label;  // the field, or the frame's column, for messages
};
FieldKind FieldKindOf(const BusinessObject& object, std::string_view table, std::string_view field,
                      std::string label);

// What a typed value is.
enum class ValueSort { kFloat, kInteger, kBoolean, kDate };

// Throws kuv::Refusal, naming `where` ("cannot put a value of field 'GR'
// of table 'Log'"), unless the
// field takes a value of this sort: a float or integer field numbers (an
// integer field whole ones), a boolean field booleans, a date field dates;
// a text field anything.
void CheckSort(ValueSort sort, const FieldKind& field, const std::string& where);

// The text of a float, as Python's repr writes it; in an integer field, a
// whole number as an integer (Refusal for any other). NaN is the caller's.
std::string FloatText(double value, const FieldKind& field, const std::string& where);

// The text of a moment: the document's Date text when it is whole minutes
// of the years the Date text holds, else an ISO 8601 date and time with
// seconds and their fraction, which reads back to the same moment.
std::string DateText(const DateParts& parts);

}  // namespace kuv::python

#endif  // KUV_PYTHON_TYPED_WRITES_H_
