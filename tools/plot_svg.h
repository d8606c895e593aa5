// Draws a table's log tracks as SVG: the depth on a vertical axis,
// increasing downwards, and one track per other numeric field beside it,
// headed by its name, unit and scale. Each track is reduced to the
// minimum and maximum of each pixel row (plot_reduction.h), and a pixel
// row whose samples are all missing breaks the curve.
#ifndef KUV_TOOLS_PLOT_SVG_H_
#define KUV_TOOLS_PLOT_SVG_H_

#include <string>
#include <string_view>
#include <vector>

namespace kuv::tool {

// A numeric field down the rows of its table; NaN where a row has no
// value. The name and unit are UTF-8.
struct PlotCurve {
  std::string_view name;
  std::string_view unit;
  std::vector<double> values;
};

// The height of the plot area for a table of that many rows: a few pixels
// per row, within bounds that fit a screen.
int PlotRowsFor(std::size_t tableRows);

// Appends one <svg> element to out, with single-quoted attributes (so that
// it can stand in a JSON string unescaped): the root carries data-depth
// and data-depth-unit, each track a <g class='track'> with data-field and
// data-unit. Appends nothing when no depth is a finite number.
void AppendTrackPlot(const PlotCurve& depth, const std::vector<PlotCurve>& tracks, int rows,
                     std::string* out);

}  // namespace kuv::tool

#endif  // KUV_TOOLS_PLOT_SVG_H_
