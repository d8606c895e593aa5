// The page `kuv view` writes: one self-contained HTML file (its script and
// style inline, nothing fetched) that lists a document's business objects
// and shows, for each, its header, its data description, its tables with
// their rows (paged and sortable in the page) and log tracks for every
// table with at least two numeric fields.
//
// The data travel as JSON in inert script elements, one per object, read
// by the page's script only when the object is opened: each table's
// columns as arrays of texts (not a DOM node per value), and the curves of
// its plot as SVG paths drawn here, reduced to the pixel rows they have;
// the script draws the axes, frames and labels around them.
#ifndef KUV_TOOLS_VIEW_PAGE_H_
#define KUV_TOOLS_VIEW_PAGE_H_

#include <cstdint>
#include <ostream>
#include <string>

#include "kuv/document.hpp"
#include "kuv/text.hpp"

namespace kuv::tool {

// What the page says of the file it shows.
struct ViewSource {
  std::string name;         // the file's name, UTF-8
  std::uint64_t bytes = 0;  // its size; 0 when unknown
};

// The value that marks a missing sample in logs, where an object does not
// name its own in a field NullValue.
inline constexpr double kConventionalNullValue = -999.25;

// Writes the page to out, as it goes, one object at a time. The fields'
// types and units are the object's definitions, else those of definitions
// (which may be null); texts are decoded from encoding for display.
void WriteViewPage(std::ostream& out, const Document& document, const ViewSource& source,
                   const Template* definitions, Encoding encoding);

}  // namespace kuv::tool

#endif  // KUV_TOOLS_VIEW_PAGE_H_
