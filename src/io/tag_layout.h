// The texts of the tags that carry attributes, as a saved document holds
// them between "<" and ">": the writer writes them, and the save check
// reads them back through the reader's rules. An output offers
// Append(layout) and AppendText(text), the second for texts of the model.
#ifndef KUV_IO_TAG_LAYOUT_H_
#define KUV_IO_TAG_LAYOUT_H_

#include <string_view>

#include "model/business_object.h"
#include "model/definitions.h"

namespace kuv::io {

// "BusinessObject ID='…' Author='…' Version='…' WellID='…' Date='…'": all
// five, always, in this order.
template <typename Out>
void AppendObjectTag(Out& out, const CBusinessObject& object) {
  out.Append("BusinessObject ID='");
  out.AppendText(object.id);
  out.Append("' Author='");
  out.AppendText(object.author);
  out.Append("' Version='");
  out.AppendText(object.version);
  out.Append("' WellID='");
  out.AppendText(object.wellId);
  out.Append("' Date='");
  out.AppendText(object.date);
  out.Append("'");
}

// "TableDef Table='…'/", with " Parent='…'" before the "'/" when the
// parent is not empty.
template <typename Out>
void AppendTableDefTag(Out& out, std::string_view table, std::string_view parent) {
  out.Append("TableDef Table='");
  out.AppendText(table);
  if (!parent.empty()) {
    out.Append("' Parent='");
    out.AppendText(parent);
  }
  out.Append("'/");
}

// "FieldDef Table='…' Field='…' Unit='…' Type='…'/": the key cut at its
// first tab into table and field, the definition into unit and type.
template <typename Out>
void AppendFieldDefTag(Out& out, std::string_view key, std::string_view definition) {
  const SplitText names = SplitAtFirstTab(key);
  const SplitText unitAndType = SplitAtFirstTab(definition);
  out.Append("FieldDef Table='");
  out.AppendText(names.first);
  out.Append("' Field='");
  out.AppendText(names.second);
  out.Append("' Unit='");
  out.AppendText(unitAndType.first);
  out.Append("' Type='");
  out.AppendText(unitAndType.second);
  out.Append("'/");
}

}  // namespace kuv::io

#endif  // KUV_IO_TAG_LAYOUT_H_
