#include "plot_path.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace kuv::tool {

namespace {

constexpr int kMinRows = 180;
constexpr int kMaxRows = 600;
constexpr int kPixelsPerTableRow = 12;

void AppendInteger(long long value, std::string* out) {
  char digits[24];
  const auto written = std::to_chars(digits, digits + sizeof digits, value);
  out->append(digits, written.ptr);
}

}  // namespace

int PlotRowsFor(std::size_t tableRows) {
  const std::size_t wanted = tableRows * kPixelsPerTableRow;
  return static_cast<int>(
      std::clamp<std::size_t>(wanted, static_cast<std::size_t>(kMinRows), kMaxRows));
}

TrackPath TrackPathOf(const std::vector<double>& depths, const std::vector<double>& values,
                      const DepthAxis& axis, bool logarithmicIfPositive) {
  const ReducedTrack track = ReduceTrack(depths, values, axis);
  TrackPath drawn;
  if (!track.least) return drawn;
  drawn.least = track.least;
  drawn.greatest = track.greatest;
  drawn.logarithmic = logarithmicIfPositive && *track.least > 0;
  const auto scaled = [&](double value) { return drawn.logarithmic ? std::log10(value) : value; };
  const double least = scaled(*track.least);
  const double span = scaled(*track.greatest) - least;
  // Path units are fine enough for any screen, and whole numbers are short.
  const auto xOf = [&](double value) {
    if (!(span > 0)) return static_cast<long long>(kTrackPathWidth / 2);
    return std::llround((scaled(value) - least) / span * kTrackPathWidth);
  };
  std::string& path = drawn.path;
  int points = 0;  // in the stroke being drawn
  const auto endStroke = [&] {
    if (points == 1) path += "h0";  // a lone sample shows as a dot
    points = 0;
  };
  for (std::size_t row = 0; row < track.state.size(); ++row) {
    if (track.state[row] == PixelState::kMissing) endStroke();
    if (track.state[row] != PixelState::kDrawn) continue;
    const long long low = xOf(track.low[row]);
    const long long high = xOf(track.high[row]);
    path += points == 0 ? 'M' : 'L';
    AppendInteger(low, &path);
    path += ' ';
    AppendInteger(static_cast<long long>(row), &path);
    ++points;
    if (high != low) {
      path += 'H';
      AppendInteger(high, &path);
      ++points;
    }
  }
  endStroke();
  return drawn;
}

}  // namespace kuv::tool
