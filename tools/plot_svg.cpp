#include "plot_svg.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "plot_reduction.h"

namespace kuv::tool {

namespace {

constexpr int kHeaderHeight = 46;  // name, unit and scale above each track
constexpr int kFooterHeight = 6;
constexpr int kAxisWidth = 76;
constexpr int kTrackWidth = 140;
constexpr int kTrackGap = 10;
constexpr int kCurveInset = 3;  // keeps the extreme values off the frame
constexpr int kMinRows = 180;
constexpr int kMaxRows = 600;
constexpr int kPixelsPerTableRow = 12;
constexpr int kPixelsPerTick = 60;

constexpr const char* kColours[] = {"#1f77b4", "#d62728", "#2ca02c", "#9467bd",
                                    "#ff7f0e", "#8c564b", "#e377c2", "#17becf"};

void AppendXml(std::string_view text, std::string* out) {
  for (const char c : text) {
    switch (c) {
      case '&':
        *out += "&amp;";
        break;
      case '<':
        *out += "&lt;";
        break;
      case '>':
        *out += "&gt;";
        break;
      case '\'':
        *out += "&apos;";
        break;
      case '"':
        *out += "&quot;";
        break;
      default:
        *out += c;
    }
  }
}

// A coordinate to a tenth of a pixel ("12.5", "7"): the paths hold
// thousands, and this is all the precision a screen shows.
void AppendCoordinate(double value, std::string* out) {
  long long tenths = std::llround(value * 10);
  if (tenths < 0) {
    *out += '-';
    tenths = -tenths;
  }
  char digits[24];
  const auto written = std::to_chars(digits, digits + sizeof digits, tenths / 10);
  out->append(digits, written.ptr);
  if (tenths % 10 != 0) {
    *out += '.';
    *out += static_cast<char>('0' + tenths % 10);
  }
}

void AppendAttribute(const char* name, double value, std::string* out) {
  *out += ' ';
  *out += name;
  *out += "='";
  AppendCoordinate(value, out);
  *out += '\'';
}

std::string Formatted(const char* format, double value, int decimals = 0) {
  char text[64];
  std::snprintf(text, sizeof text, format, decimals, value);
  return text;
}

// A step of 1, 2 or 5 times a power of ten that divides span into about
// wanted parts.
double NiceStep(double span, int wanted) {
  const double raw = span / std::max(wanted, 1);
  const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
  const double fraction = raw / magnitude;
  const double nice = fraction <= 1 ? 1 : fraction <= 2 ? 2 : fraction <= 5 ? 5 : 10;
  return nice * magnitude;
}

void AppendText(double x, double y, const char* type, const char* anchor, std::string_view text,
                std::string* out) {
  *out += "<text";
  AppendAttribute("x", x, out);
  AppendAttribute("y", y, out);
  *out += " class='";
  *out += type;
  *out += "' text-anchor='";
  *out += anchor;
  *out += "'>";
  AppendXml(text, out);
  *out += "</text>";
}

void AppendDepthAxis(const PlotCurve& depth, const DepthAxis& axis, int width, std::string* out) {
  *out += "<g class='depth-axis'>";
  AppendText(kAxisWidth - 8, 14, "track-name", "end", depth.name, out);
  AppendText(kAxisWidth - 8, 28, "track-unit", "end", depth.unit, out);
  const double span = axis.bottom - axis.top;
  const double step = NiceStep(span, std::max(2, axis.rows / kPixelsPerTick));
  if (std::isfinite(step) && step > 0) {
    const int decimals = std::clamp(static_cast<int>(-std::floor(std::log10(step))), 0, 12);
    const double first = std::ceil(axis.top / step) * step;
    for (int k = 0; k <= 100; ++k) {
      const double at = first + k * step;
      if (at > axis.bottom + step * 1e-9) break;
      const double y = kHeaderHeight + (at - axis.top) / span * axis.rows;
      *out += "<line class='grid'";
      AppendAttribute("x1", kAxisWidth - 4, out);
      AppendAttribute("x2", width - kTrackGap, out);
      AppendAttribute("y1", y, out);
      AppendAttribute("y2", y, out);
      *out += "/>";
      const double shown = at == 0 ? 0.0 : at;  // no "-0"
      AppendText(kAxisWidth - 8, y + 4, "tick", "end", Formatted("%.*f", shown, decimals), out);
    }
  }
  *out += "</g>";
}

// Resistivities span decades, and logs show them on a logarithmic scale.
bool IsLogarithmic(std::string_view unit, const ReducedTrack& track) {
  std::string lower;
  for (const char c : unit) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower.find("ohm") != std::string::npos && *track.least > 0;
}

// The curve as one path: for each pixel row with values, a stroke from its
// least to its greatest value, joined to the next such row; a row of
// missing values only ends the stroke.
void AppendCurve(const ReducedTrack& track, double left, bool logarithmic, const char* colour,
                 std::string* out) {
  const auto scaled = [logarithmic](double value) {
    return logarithmic ? std::log10(value) : value;
  };
  const double least = scaled(*track.least);
  const double span = scaled(*track.greatest) - least;
  const double usable = kTrackWidth - 2 * kCurveInset;
  const auto xOf = [&](double value) {
    return left + kCurveInset + (span > 0 ? (scaled(value) - least) / span * usable : usable / 2);
  };
  *out += "<path fill='none' stroke='";
  *out += colour;
  *out += "' d='";
  int points = 0;  // in the stroke being drawn
  const auto endStroke = [&] {
    if (points == 1) *out += "h0";  // a lone sample shows as a dot
    points = 0;
  };
  for (std::size_t row = 0; row < track.state.size(); ++row) {
    if (track.state[row] == PixelState::kMissing) endStroke();
    if (track.state[row] != PixelState::kDrawn) continue;
    const double y = kHeaderHeight + static_cast<double>(row) + 0.5;
    const double low = xOf(track.low[row]);
    const double high = xOf(track.high[row]);
    *out += points == 0 ? 'M' : 'L';
    AppendCoordinate(low, out);
    *out += ' ';
    AppendCoordinate(y, out);
    ++points;
    if (std::llround(high * 10) != std::llround(low * 10)) {
      *out += 'H';
      AppendCoordinate(high, out);
      ++points;
    }
  }
  endStroke();
  *out += "'/>";
}

void AppendTrack(const PlotCurve& curve, const std::vector<double>& depths, const DepthAxis& axis,
                 std::size_t index, std::string* out) {
  const double left = kAxisWidth + static_cast<double>(index) * (kTrackWidth + kTrackGap);
  const double middle = left + kTrackWidth / 2.0;
  const ReducedTrack track = ReduceTrack(depths, curve.values, axis);
  *out += "<g class='track' data-field='";
  AppendXml(curve.name, out);
  *out += "' data-unit='";
  AppendXml(curve.unit, out);
  *out += "'>";
  const bool logarithmic = track.least && IsLogarithmic(curve.unit, track);
  AppendText(middle, 14, "track-name", "middle", curve.name, out);
  AppendText(middle, 28, "track-unit", "middle", curve.unit, out);
  if (logarithmic) AppendText(left + kTrackWidth - 1, 28, "scale", "end", "log", out);
  *out += "<rect class='frame'";
  AppendAttribute("x", left, out);
  AppendAttribute("y", kHeaderHeight, out);
  AppendAttribute("width", kTrackWidth, out);
  AppendAttribute("height", axis.rows, out);
  *out += "/>";
  if (track.least) {
    AppendText(left + 1, 41, "scale", "start", Formatted("%.*g", *track.least, 4), out);
    AppendText(left + kTrackWidth - 1, 41, "scale", "end", Formatted("%.*g", *track.greatest, 4),
               out);
    AppendCurve(track, left, logarithmic, kColours[index % (sizeof kColours / sizeof *kColours)],
                out);
  } else {
    AppendText(middle, kHeaderHeight + 20, "scale", "middle", "no values", out);
  }
  *out += "</g>";
}

}  // namespace

int PlotRowsFor(std::size_t tableRows) {
  const std::size_t wanted = tableRows * kPixelsPerTableRow;
  return static_cast<int>(
      std::clamp<std::size_t>(wanted, static_cast<std::size_t>(kMinRows), kMaxRows));
}

void AppendTrackPlot(const PlotCurve& depth, const std::vector<PlotCurve>& tracks, int rows,
                     std::string* out) {
  const std::optional<DepthAxis> axis = AxisOf(depth.values, rows);
  if (!axis) return;
  const double width = kAxisWidth + static_cast<double>(tracks.size()) * (kTrackWidth + kTrackGap);
  const double height = kHeaderHeight + axis->rows + kFooterHeight;
  *out += "<svg class='tracks' role='img'";
  AppendAttribute("width", width, out);
  AppendAttribute("height", height, out);
  *out += " viewBox='0 0 ";
  AppendCoordinate(width, out);
  *out += ' ';
  AppendCoordinate(height, out);
  *out += "' data-depth='";
  AppendXml(depth.name, out);
  *out += "' data-depth-unit='";
  AppendXml(depth.unit, out);
  *out += "'>";
  AppendDepthAxis(depth, *axis, static_cast<int>(width), out);
  for (std::size_t i = 0; i < tracks.size(); ++i) {
    AppendTrack(tracks[i], depth.values, *axis, i, out);
  }
  *out += "</svg>";
}

}  // namespace kuv::tool
