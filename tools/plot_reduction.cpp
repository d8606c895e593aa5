#include "plot_reduction.h"

#include <algorithm>
#include <cmath>

namespace kuv::tool {

int DepthAxis::RowOf(double depth) const {
  const double at = (depth - top) / (bottom - top) * rows;
  if (!(at > 0)) return 0;  // NaN too, from a span beyond the doubles
  if (at >= rows) return rows - 1;
  return static_cast<int>(at);
}

double DepthAxis::DepthAt(double row) const { return top + (row + 0.5) / rows * (bottom - top); }

std::optional<DepthAxis> AxisOf(const std::vector<double>& depths, int rows) {
  std::optional<double> top;
  std::optional<double> bottom;
  for (const double depth : depths) {
    if (!std::isfinite(depth)) continue;
    top = top ? std::min(*top, depth) : depth;
    bottom = bottom ? std::max(*bottom, depth) : depth;
  }
  if (!top) return std::nullopt;
  DepthAxis axis{*top, *bottom, std::max(rows, 1)};
  // A span too small to divide (one depth, or depths equal to the last
  // bits) is widened around its middle.
  if (!(axis.bottom - axis.top > std::abs(axis.top) * 1e-12)) {
    const double middle = axis.top;
    axis.top = middle - 0.5;
    axis.bottom = middle + 0.5;
  }
  return axis;
}

ReducedTrack ReduceTrack(const std::vector<double>& depths, const std::vector<double>& values,
                         const DepthAxis& axis) {
  ReducedTrack track;
  const auto rows = static_cast<std::size_t>(axis.rows);
  track.state.assign(rows, PixelState::kEmpty);
  track.low.assign(rows, 0);
  track.high.assign(rows, 0);
  const std::size_t samples = std::min(depths.size(), values.size());
  for (std::size_t i = 0; i < samples; ++i) {
    if (!std::isfinite(depths[i])) continue;
    const auto row = static_cast<std::size_t>(axis.RowOf(depths[i]));
    const double value = values[i];
    PixelState& state = track.state[row];
    if (!std::isfinite(value)) {
      if (state == PixelState::kEmpty) state = PixelState::kMissing;
      continue;
    }
    if (state != PixelState::kDrawn) {
      state = PixelState::kDrawn;
      track.low[row] = track.high[row] = value;
    } else {
      track.low[row] = std::min(track.low[row], value);
      track.high[row] = std::max(track.high[row], value);
    }
    track.least = track.least ? std::min(*track.least, value) : value;
    track.greatest = track.greatest ? std::max(*track.greatest, value) : value;
  }
  return track;
}

}  // namespace kuv::tool
