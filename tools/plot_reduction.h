// Reduces the samples of a log track to what a plot of a given height can
// show: for each pixel row of the depth axis, the least and the greatest
// value whose depth falls in it. A 100 000-sample log then draws as a few
// hundred short strokes, and no peak is lost.
#ifndef KUV_TOOLS_PLOT_REDUCTION_H_
#define KUV_TOOLS_PLOT_REDUCTION_H_

#include <cstdint>
#include <optional>
#include <vector>

namespace kuv::tool {

// The depth axis: depths from top (at pixel row 0) to bottom (at the last
// row), increasing downwards.
struct DepthAxis {
  double top = 0;
  double bottom = 1;
  int rows = 1;

  // The pixel row of a depth within [top, bottom].
  int RowOf(double depth) const;
  // The depth at the middle of a pixel row.
  double DepthAt(double row) const;
};

// The axis spanning the finite depths, or nullopt when there is none. A
// single depth gets a span of one unit around it.
std::optional<DepthAxis> AxisOf(const std::vector<double>& depths, int rows);

// What one pixel row of a track holds.
enum class PixelState : std::uint8_t {
  kEmpty,    // no sample lies at these depths: the curve passes through
  kMissing,  // samples lie here, all of them without a value: a gap
  kDrawn,    // low and high hold the least and greatest value here
};

struct ReducedTrack {
  std::vector<PixelState> state;  // one per pixel row
  std::vector<double> low;
  std::vector<double> high;
  // The least and greatest value of the whole track; nullopt when it has
  // no value at all.
  std::optional<double> least;
  std::optional<double> greatest;
};

// depths and values run down the rows of a table; a value that is not a
// finite number (NaN for one that is missing) counts as missing, and a row
// whose depth is not finite is left out.
ReducedTrack ReduceTrack(const std::vector<double>& depths, const std::vector<double>& values,
                         const DepthAxis& axis);

}  // namespace kuv::tool

#endif  // KUV_TOOLS_PLOT_REDUCTION_H_
