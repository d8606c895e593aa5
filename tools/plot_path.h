// A log track's curve as an SVG path, from the samples reduced to pixel
// rows (plot_reduction.h): for each pixel row with values, a stroke from
// its least to its greatest value, joined to the next such row; a row
// whose samples are all missing ends the stroke, so that gaps show. The
// page's script draws the axes, frames and labels around it.
#ifndef KUV_TOOLS_PLOT_PATH_H_
#define KUV_TOOLS_PLOT_PATH_H_

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "plot_reduction.h"

namespace kuv::tool {

// The width of a track in path units: x runs from 0 (the least value) to
// this (the greatest); y is the pixel row.
inline constexpr int kTrackPathWidth = 1000;

struct TrackPath {
  // The least and greatest value drawn; nullopt when the track has none,
  // and then the path is empty.
  std::optional<double> least;
  std::optional<double> greatest;
  bool logarithmic = false;  // x is log10 of the value
  std::string path;          // "M12 0H480L300 1..."
};

// The height of a plot in pixel rows for a table of that many rows: a few
// pixels a row, within bounds that fit a screen.
int PlotRowsFor(std::size_t tableRows);

// The track of values (NaN where missing) against depths on the axis.
// With logarithmicIfPositive, a track whose values are all positive is
// drawn on a logarithmic scale, as resistivities are.
TrackPath TrackPathOf(const std::vector<double>& depths, const std::vector<double>& values,
                      const DepthAxis& axis, bool logarithmicIfPositive);

}  // namespace kuv::tool

#endif  // KUV_TOOLS_PLOT_PATH_H_
