// What a document can hold. The format escapes nothing, so some texts would
// be written without complaint and read back as something else: a value
// with "<" ends early, an attribute with an apostrophe is cut, a tag that
// mentions a definition keyword is taken for a definition. Every text that
// enters a document is checked here first, and refused when it could not
// come back as it went in.
#ifndef KUV_IO_STORABLE_TEXT_H_
#define KUV_IO_STORABLE_TEXT_H_

#include <string_view>

namespace kuv::io {

// Each gives why the text cannot be stored in its place, or null when it
// can.
//
// A value text: anything but "<", which would start a tag.
const char* WhyNotStorableValue(std::string_view text);
// A header text (ID, Author, Version, WellID, Date) or a definition's unit
// or type: an attribute value inside a tag. It may not hold an apostrophe
// (which ends the value) or ">" (which ends the tag), may not mention
// "FieldDef" or "TableDef" (the tag would be read as a definition), and may
// not end in "=" (with the closing apostrophe that would spell "Key='",
// which the reader could take for the start of a later attribute).
const char* WhyNotStorableAttribute(std::string_view text);
// A unit: an attribute whose definition joins it to the type with a tab,
// so that it may not hold a tab either.
const char* WhyNotStorableUnit(std::string_view text);
// A table or field name: the text of its element's tags and an attribute
// of its definition. Everything a unit may not hold (a definition's key
// joins the table to the field with a tab), nor "<"; it may not begin with
// "/", "!" or "?" (a closing tag, a comment, a processing instruction) nor
// be "DataDescription".
const char* WhyNotStorableName(std::string_view text);

inline bool IsStorableValue(std::string_view text) { return !WhyNotStorableValue(text); }
inline bool IsStorableAttribute(std::string_view text) { return !WhyNotStorableAttribute(text); }
inline bool IsStorableName(std::string_view text) { return !WhyNotStorableName(text); }

}  // namespace kuv::io

#endif  // KUV_IO_STORABLE_TEXT_H_
