// The parts of kuv view that carry logic of their own: reading numbers,
// gathering an object's tables in one walk, reducing a track to pixel rows
// and drawing its curve.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "kuv/document.hpp"
#include "plot_path.h"
#include "plot_reduction.h"
#include "strict_check.h"
#include "view_tables.h"

namespace kuv::tool {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

Document Parsed(const std::string& content, const std::string& definitions = "") {
  return Document::Parse(
      "<?xml version='1.0'?>\n<KUV Version='2.0'>\n"
      "<BusinessObject ID='T' Author='a' Version='1' WellID='W' Date='20240101T00:00:00000'>\n"
      "<DataDescription>\n" +
      definitions + "</DataDescription>\n" + content + "</BusinessObject>\n</KUV>\n");
}

std::vector<std::string> Cells(const ViewColumn& column) {
  std::vector<std::string> cells;
  for (const std::string_view cell : column.cells) {
    cells.push_back(IsAbsent(cell) ? "(absent)" : std::string(cell));
  }
  return cells;
}

TEST(ViewTables, RowsOfEveryNodeWithTheirParents) {
  const Document document = Parsed(
      "<A>\n<a>1</a>\n<B>\n<b>x</b>\n<b>y</b>\n</B>\n<a>2</a>\n<a>3</a>\n<B>\n<b>z</b>\n</B>\n"
      "</A>\n<B>\n<b>top</b>\n</B>\n",
      "<TableDef Table='A'/>\n<TableDef Table='B' Parent='A'/>\n");
  const std::vector<ViewTable> tables = CollectTables(document.objects()[0]);
  ASSERT_EQ(tables.size(), 2u);
  EXPECT_EQ(tables[0].name, "A");
  EXPECT_EQ(tables[0].rows, 3u);
  EXPECT_TRUE(tables[0].parentRow.empty());  // no row of A nests
  const ViewTable& b = tables[1];
  EXPECT_EQ(b.rows, 4u);
  ASSERT_EQ(b.columns.size(), 1u);
  EXPECT_THAT(Cells(b.columns[0]), ElementsAre("x", "y", "z", "top"));
  EXPECT_THAT(b.parentRow, ElementsAre(0, 0, 2, -1));
  EXPECT_THAT(b.parentTable, ElementsAre("A", "A", "A", ""));
}

TEST(ViewTables, RepeatedAndMissingFieldsGetColumnsAndGaps) {
  // Row 1 gives c twice (a repeat of the first field would start a row)
  // and no b; row 2 only b; row 3 an empty a, and c.
  const Document document = Parsed(
      "<A>\n<a>1</a>\n<c>c1</c>\n<c>c1bis</c>\n</A>\n<A>\n<b>2</b>\n</A>\n"
      "<A>\n<a></a>\n<c>c3</c>\n</A>\n");
  const std::vector<ViewTable> tables = CollectTables(document.objects()[0]);
  ASSERT_EQ(tables.size(), 1u);
  const ViewTable& a = tables[0];
  EXPECT_EQ(a.rows, 3u);
  ASSERT_EQ(a.columns.size(), 4u);
  EXPECT_EQ(a.columns[0].field, "a");
  EXPECT_EQ(a.columns[1].field, "c");
  EXPECT_EQ(a.columns[2].field, "c");
  EXPECT_EQ(a.columns[2].occurrence, 1);
  EXPECT_EQ(a.columns[3].field, "b");
  EXPECT_THAT(Cells(a.columns[0]), ElementsAre("1", "(absent)", ""));
  EXPECT_THAT(Cells(a.columns[1]), ElementsAre("c1", "(absent)", "c3"));
  EXPECT_THAT(Cells(a.columns[2]), ElementsAre("c1bis", "(absent)", "(absent)"));
  EXPECT_THAT(Cells(a.columns[3]), ElementsAre("(absent)", "2", "(absent)"));
}

TEST(ViewTables, ATableNestedInItsOwnNameKeepsEachRowsParent) {
  const Document document = Parsed(
      "<A>\n<a>outer1</a>\n<A>\n<a>inner1</a>\n<a>inner2</a>\n</A>\n<B>\n<b>in outer1</b>\n</B>\n"
      "</A>\n");
  const std::vector<ViewTable> tables = CollectTables(document.objects()[0]);
  ASSERT_EQ(tables.size(), 2u);
  EXPECT_THAT(Cells(tables[0].columns[0]), ElementsAre("outer1", "inner1", "inner2"));
  EXPECT_THAT(tables[0].parentRow, ElementsAre(-1, 0, 0));
  // B stands in the outer row, though A's latest row is an inner one.
  EXPECT_THAT(tables[1].parentRow, ElementsAre(0));
}

TEST(DeclaredField, TheObjectsOwnElseTheTemplates) {
  const Document document =
      Parsed("", "<TableDef Table='A'/>\n<FieldDef Table='A' Field='a' Unit='m' Type='float'/>\n");
  const Template standard = Template::Open(std::string(KUV_EXAMPLES_DIR) + "/Standard.kvt");
  const BusinessObject object = document.objects()[0];
  EXPECT_EQ(DeclaredField(object, &standard, "A", "a")->unit, "m");
  EXPECT_FALSE(DeclaredField(object, &standard, "A", "b"));
  EXPECT_FALSE(DeclaredField(object, nullptr, "A", "b"));
  Document bare = Parsed("");
  BusinessObject wellLog = bare.CreateObject("WellLog", "a", "1", "W");
  EXPECT_FALSE(DeclaredField(wellLog, nullptr, "Sample", "GR"));
  const std::optional<FieldDefinition> fromTemplate =
      DeclaredField(wellLog, &standard, "Sample", "GR");
  ASSERT_TRUE(fromTemplate);
  EXPECT_EQ(fromTemplate->unit, "gAPI");
  EXPECT_EQ(KindOfType(fromTemplate->type), ValueKind::kFloat);
}

TEST(PlotReduction, EachPixelRowKeepsItsLeastAndGreatestValue) {
  // 100 000 samples into 500 rows: 200 a row, with one spike that must
  // survive the reduction.
  std::vector<double> depths;
  std::vector<double> values;
  for (int i = 0; i < 100000; ++i) {
    depths.push_back(1000 + i * 0.1);
    values.push_back(i == 54321 ? 900.0 : 50 + (i % 200) * 0.25);
  }
  const std::optional<DepthAxis> axis = AxisOf(depths, 500);
  ASSERT_TRUE(axis);
  EXPECT_DOUBLE_EQ(axis->top, 1000);
  EXPECT_NEAR(axis->bottom, 10999.9, 1e-6);
  const ReducedTrack track = ReduceTrack(depths, values, *axis);
  ASSERT_EQ(track.state.size(), 500u);
  EXPECT_EQ(*track.least, 50);
  EXPECT_EQ(*track.greatest, 900);
  int spikes = 0;
  for (std::size_t row = 0; row < 500; ++row) {
    ASSERT_EQ(track.state[row], PixelState::kDrawn) << row;
    spikes += track.high[row] == 900.0;
    EXPECT_EQ(track.low[row], 50) << row;
  }
  EXPECT_EQ(spikes, 1);
  EXPECT_EQ(track.high[static_cast<std::size_t>(axis->RowOf(1000 + 54321 * 0.1))], 900);
}

TEST(PlotReduction, MissingValuesMakeGapsAndRowsWithoutDepthAreLeftOut) {
  const std::vector<double> depths = {0, 1, 2, 3, kNaN, 9};
  const std::vector<double> values = {5, kNaN, kNaN, 7, 1000, 6};
  const DepthAxis axis = *AxisOf(depths, 10);
  const ReducedTrack track = ReduceTrack(depths, values, axis);
  EXPECT_EQ(track.state[0], PixelState::kDrawn);
  EXPECT_EQ(track.state[1], PixelState::kMissing);
  EXPECT_EQ(track.state[2], PixelState::kMissing);
  EXPECT_EQ(track.state[3], PixelState::kDrawn);
  EXPECT_EQ(track.state[5], PixelState::kEmpty);  // no sample: the curve passes through
  EXPECT_EQ(track.state[9], PixelState::kDrawn);  // the deepest sample, in the last row
  EXPECT_EQ(*track.greatest, 7);                  // the sample without depth is not drawn
  // A row that holds both a value and a missing one draws the value.
  const ReducedTrack mixed = ReduceTrack({0, 0, 1}, {kNaN, 4, 2}, *AxisOf({0, 1}, 2));
  EXPECT_EQ(mixed.state[0], PixelState::kDrawn);
  EXPECT_EQ(mixed.low[0], 4);
}

TEST(PlotReduction, DegenerateAxes) {
  EXPECT_FALSE(AxisOf({kNaN, std::numeric_limits<double>::infinity()}, 100));
  EXPECT_FALSE(AxisOf({}, 100));
  const DepthAxis single = *AxisOf({42, 42}, 100);
  EXPECT_LT(single.top, 42);
  EXPECT_GT(single.bottom, 42);
  EXPECT_EQ(single.RowOf(42), 50);
  // Depths a whole range of doubles apart place every sample somewhere.
  const DepthAxis wide = *AxisOf({-1.7e308, 1.7e308}, 10);
  const ReducedTrack track = ReduceTrack({-1.7e308, 1.7e308}, {1, 2}, wide);
  EXPECT_EQ(*track.least, 1);
  EXPECT_EQ(*track.greatest, 2);
}

int Strokes(const std::string& path) {
  return static_cast<int>(std::count(path.begin(), path.end(), 'M'));
}

TEST(TrackPath, StrokesRunFromLeastToGreatestAndBreakAtGaps) {
  const std::vector<double> depths = {100, 101, 102, 103, 104};
  const DepthAxis axis = *AxisOf(depths, 5);
  TrackPath track = TrackPathOf(depths, {10, 20, kNaN, 40, 30}, axis, false);
  EXPECT_EQ(*track.least, 10);
  EXPECT_EQ(*track.greatest, 40);
  EXPECT_FALSE(track.logarithmic);
  // x runs from 0 (10) to 1000 (40); the missing sample ends a stroke.
  EXPECT_EQ(track.path, "M0 0L333 1M1000 3L667 4");
  // A lone sample between gaps is a dot; a row of two samples a stroke
  // across them.
  track = TrackPathOf({0, 1, 2, 2, 3}, {kNaN, 5, kNaN, kNaN, 9}, *AxisOf({0, 1, 2, 3}, 4), false);
  EXPECT_EQ(track.path, "M0 1h0M1000 3h0");
  track = TrackPathOf({0, 0, 1}, {1, 3, 2}, *AxisOf({0, 1}, 2), false);
  EXPECT_EQ(track.path, "M0 0H1000L500 1");
}

TEST(TrackPath, ResistivitiesAreLogarithmicWhenAllPositive) {
  const std::vector<double> depths = {0, 1, 2};
  const DepthAxis axis = *AxisOf(depths, 3);
  TrackPath track = TrackPathOf(depths, {1, 10, 100}, axis, true);
  EXPECT_TRUE(track.logarithmic);
  EXPECT_EQ(track.path, "M0 0L500 1L1000 2");
  track = TrackPathOf(depths, {-1, 10, 100}, axis, true);
  EXPECT_FALSE(track.logarithmic);
  // A track of one value is drawn down the middle.
  EXPECT_EQ(TrackPathOf(depths, {7, 7, 7}, axis, false).path, "M500 0L500 1L500 2");
  // Without values there is nothing to draw.
  const TrackPath none = TrackPathOf(depths, {kNaN, kNaN, kNaN}, axis, false);
  EXPECT_FALSE(none.least);
  EXPECT_TRUE(none.path.empty());
}

TEST(TrackPath, ALargeLogIsDrawnInTheRowsOfItsPlot) {
  std::vector<double> depths;
  std::vector<double> values;
  for (int i = 0; i < 100000; ++i) {
    depths.push_back(i * 0.15);
    values.push_back(std::sin(i * 0.01) * 50 + 60);
  }
  const int rows = PlotRowsFor(depths.size());
  EXPECT_EQ(rows, 600);
  EXPECT_EQ(PlotRowsFor(3), 180);
  EXPECT_EQ(PlotRowsFor(41), 492);
  const TrackPath track = TrackPathOf(depths, values, *AxisOf(depths, rows), false);
  EXPECT_EQ(Strokes(track.path), 1);
  EXPECT_LT(track.path.size(), 16u * 600);  // a few points per pixel row
}

}  // namespace
}  // namespace kuv::tool
