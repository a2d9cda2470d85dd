// Axis labels: the texts of numeric, time and category axes, the bin-count row, and how labels
// are thinned or turned to fit along their axis.
#include "plot/draw/axis_draw.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "plot/kinds.h"
#include "tests/plot/draw/draw_fixture.h"

namespace kor::plot::draw {
namespace {

using testing::DrawFixture;
using V = std::vector<std::string>;

TEST(AxisLabelTexts, NumbersWithTheDecimalsTheirSpacingNeeds) {
  struct Case {
    const char* name;
    std::vector<float> values;
    V texts;
  };
  const Case kCases[] = {
      {"whole numbers", {0, 2, 4}, {"0", "2", "4"}},
      {"halves", {0, 0.5f, 1}, {"0", "0.5", "1.0"}},
      {"quarters", {0.25f, 0.5f, 0.75f}, {"0.25", "0.50", "0.75"}},
      {"a computed 1.0E-8 is 0", {1.0e-8f, 0.1f, 0.2f}, {"0", "0.1", "0.2"}},
      {"negative", {-10, -5, 0}, {"-10", "-5", "0"}},
      {"large values", {1e8f, 2e8f}, {"1E+08", "2E+08"}},
      {"finer than six decimals", {1e-7f, 2e-7f}, {"1E-07", "2E-07"}},
  };
  for (const Case& c : kCases) EXPECT_EQ(number_labels(c.values), c.texts) << c.name;
}

TEST(AxisPlan, TimeSeriesNeedsTimeLabels) {
  DrawFixture f(1);
  MergedAxis merged;
  merged.count = 2;
  merged.position = {0, 1};
  merged.label = {"201602281200", "201602290000"};
  PlotView v = f.view(kTimeSeries);
  v.merged = &merged;
  v.label_type = 'c';
  AxisPlan plan;
  EXPECT_EQ(plan_axes(v, plan), -18);
  v.label_type = 't';
  ASSERT_EQ(plan_axes(v, plan), 0);
  EXPECT_EQ(plan.x.texts, (V{"160228/12", "29/00"}));
  EXPECT_EQ(plan.x.positions, (std::vector<float>{0, 1}));
}

TEST(AxisPlan, BinCountRowOfAnFhoPlot) {
  DrawFixture f(1);
  MergedAxis merged;
  merged.count = 3;
  merged.position = {1, 2, 3};
  merged.label = {">1", ">2", ">5"};
  f.set_trace(0, {1, 2, 3}, {0.5, 0.6, 0.7});
  PlotView v = f.view(kBinnedData);
  v.merged = &merged;
  v.label_type = 'c';
  v.stat_type = "FHO";
  v.bin_counts = {123456, 99999.6, -3};
  AxisPlan plan;
  ASSERT_EQ(plan_axes(v, plan), 0);
  EXPECT_EQ(plan.x.texts, (V{">1", ">2", ">5"}));
  EXPECT_TRUE(plan.counts_row);
  // Three counts, at most 8: the limit is 1000000; a negative count is missing.
  EXPECT_EQ(plan.counts.texts, (V{"123456", "100000", "MSSNG"}));
  v.bin_counts.pop_back();
  EXPECT_EQ(plan_axes(v, plan), -17);
}

TEST(AxisFit, CrowdedLabelsAreThinnedOrTurned) {
  struct Case {
    const char* name;
    int count;         // labels at 0, 1, ... along 0 .. count - 1
    const char* text;  // every label's text
    double length;     // device units of the axis
    bool horizontal_axis;
    bool turned;
    int every;
  };
  // Characters 7 wide and 14 high.
  const Case kCases[] = {
      {"room enough", 5, "12", 400, true, false, 1},
      // 30 labels of 9 characters over 580 units, 20 units apart: flat they fit every 4th
      // (80 apart for 63 wide plus 7), turned every 1st (20 apart for 14 high plus 2.8).
      {"turned shows more", 30, "261101/12", 580, true, true, 1},
      // 3-character labels 20 apart: flat every 2nd, turned every 1st: not twice as many.
      {"flat every second", 30, "02/", 580, true, false, 2},
      {"vertical axis thinned", 30, "1.0", 290, false, false, 2},
  };
  for (const Case& c : kCases) {
    AxisLabels l;
    for (int i = 0; i < c.count; ++i) {
      l.positions.push_back(static_cast<float>(i));
      l.texts.push_back(c.text);
    }
    fit_labels(l, c.horizontal_axis, c.length, 0, c.count - 1, false, 7, 14);
    EXPECT_EQ(l.turned, c.turned) << c.name;
    EXPECT_EQ(l.every, c.every) << c.name;
  }
  // On a logarithmic axis the decades stand evenly apart.
  AxisLabels decades;
  decades.positions = {1, 10, 100, 1000};
  decades.texts = {"1", "10", "100", "1000"};
  fit_labels(decades, false, 60, 1, 1000, true, 7, 14);
  EXPECT_EQ(decades.every, 1);  // 20 units apart, 16.8 needed
}

TEST(AxisGraph, ReversedAxesExchangeXAndY) {
  DrawFixture f(1);
  f.layout.y.start = -1;
  f.layout.y.stop = 3;
  f.settings.left_axis_type = 2;
  auto g = graph_coordinates(f.view(kTimeSeries), false);
  EXPECT_EQ((std::vector<float>{float(g.x_type), float(g.y_type), float(g.third), g.x_min, g.y_min,
                                g.x_max, g.y_max}),
            (std::vector<float>{1, 2, 1, 0, -1, 10, 3}));
  f.settings.reversed = true;
  g = graph_coordinates(f.view(kTimeSeries), false);
  EXPECT_EQ(
      (std::vector<float>{float(g.x_type), float(g.y_type), g.x_min, g.y_min, g.x_max, g.y_max}),
      (std::vector<float>{2, 1, -1, 0, 3, 10}));
}

}  // namespace
}  // namespace kor::plot::draw
