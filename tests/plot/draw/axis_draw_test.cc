// Axis labels: the texts of numeric, time and category axes, the bin-count row, and how labels
// are thinned or turned to fit along their axis.
#include "plot/draw/axis_draw.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "graphics/request_codes.h"
#include "plot/draw/frame.h"
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
      {"one exponent form per axis",
       {6.4e-7f, 8e-7f, 9.6e-7f, 1.12e-6f, 1.28e-6f},
       {"6.40E-07", "8.00E-07", "9.60E-07", "1.12E-06", "1.28E-06"}},
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

TEST(AxisPlan, WrittenTimeLabelsSayEveryNewMonthAndYear) {
  // A season of daily points thinned to every 10th label: each written label is shortened against
  // the written one before it, so 10 January and 19 February keep their month.
  AxisLabels l;
  const LabelTime days[] = {{2026, 12, 1, 12, 0},  {2026, 12, 6, 12, 0}, {2026, 12, 11, 12, 0},
                            {2026, 12, 31, 12, 0}, {2027, 1, 5, 12, 0},  {2027, 1, 10, 12, 0},
                            {2027, 1, 30, 12, 0},  {2027, 2, 14, 12, 0}, {2027, 2, 19, 12, 0}};
  for (const LabelTime& t : days) {
    l.times.push_back(t);
    l.positions.push_back(static_cast<float>(l.positions.size()));
  }
  l.texts = shorten_time_labels(l.times, 1, false);
  l.every = 2;
  shorten_written_times(l);
  const V written{l.texts[0], l.texts[2], l.texts[4], l.texts[6], l.texts[8]};
  EXPECT_EQ(written, (V{"261201/12", "11/", "270105/", "30/", "0219/"}));
}

TEST(AxisPlan, ASeasonOfDailyLabelsThinnedShowsEveryNewMonth) {
  // 90 days from 1 December 2026 at 12:00, a label on each: the frame thins them to every k-th,
  // and each written label that falls in another month than the written one before it shows its
  // month (YYMMDD/, or MMDD/ after the first).
  DrawFixture f(1);
  f.rq.system_bounds['S'] = {0, 0, 700, 700};
  f.rq.attribute_values.reals = {0.01f, 0.02f};
  MergedAxis merged;
  merged.count = 90;
  merged.position.resize(90);
  merged.label.resize(90);
  int month_of[90];
  for (int i = 0; i < 90; ++i) {
    const int month = i < 31 ? 12 : i < 62 ? 1 : 2, day = i < 31 ? i + 1 : i < 62 ? i - 30 : i - 61;
    const int year = i < 31 ? 2026 : 2027;
    month_of[i] = month;
    char text[16];
    std::snprintf(text, sizeof text, "%04d%02d%02d1200", year, month, day);
    merged.position[i] = i;
    merged.label[i] = text;
    f.layout.x.labels[i] = i;
  }
  f.layout.x.label_count = 90;
  f.layout.x.start = 0;
  f.layout.x.stop = 89;
  f.layout.y.start = 0;
  f.layout.y.stop = 1;
  f.set_trace(0, {0, 89}, {0, 1});
  PlotView v = f.view(kTimeSeries);
  v.merged = &merged;
  v.label_type = 't';
  AxisPlan plan;
  ASSERT_EQ(plan_axes(v, plan), 0);
  ASSERT_EQ(frame_and_legend(f.pen, v, plan), 0) << f.out.str();
  ASSERT_EQ(plan.x.texts.size(), 90u);
  const int every = std::max(1, plan.x.every);
  ASSERT_GT(every, 1);
  int previous = -1;
  for (int i = 0; i < 90; i += every) {
    const std::string& t = plan.x.texts[static_cast<std::size_t>(i)];
    const std::size_t slash = t.find('/');
    ASSERT_NE(slash, std::string::npos) << t;
    if (previous < 0 || month_of[i] != month_of[previous]) {
      EXPECT_GE(slash, 4u) << "day " << i << ": " << t;
    }
    previous = i;
  }
}

TEST(AxisPlan, TimeLabelsOffTheAxisAreLeftOut) {
  // XAX starting after the data: the first label on the axis is written whole.
  DrawFixture f(1);
  MergedAxis merged;
  merged.count = 3;
  merged.position = {0, 1, 2};
  merged.label = {"201602281200", "201602291200", "201603011200"};
  f.layout.x.start = 0.5;
  f.layout.x.stop = 2;
  f.layout.x.label_count = 0;
  PlotView v = f.view(kTimeSeries);
  v.merged = &merged;
  v.label_type = 't';
  AxisPlan plan;
  ASSERT_EQ(plan_axes(v, plan), 0);
  EXPECT_EQ(plan.x.texts, (V{"160229/12", "0301/"}));
}

TEST(AxisPlan, LogarithmicAxisGetsMinorTicks) {
  EXPECT_EQ(log_minor_ticks(1, 100),
            (std::vector<float>{2, 3, 4, 5, 6, 7, 8, 9, 20, 30, 40, 50, 60, 70, 80, 90}));
  EXPECT_TRUE(log_minor_ticks(0, 100).empty());
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
  // The counts go along the top, or down the right side when the axes are exchanged.
  for (bool reversed : {false, true}) {
    f.settings.reversed = reversed;
    f.rq.calls.clear();
    PlotView r = f.view(kBinnedData);
    r.merged = &merged;
    r.label_type = 'c';
    r.stat_type = "FHO";
    r.bin_counts = v.bin_counts;
    ASSERT_EQ(plan_axes(r, plan), 0);
    ASSERT_EQ(draw_axes(f.pen, r, plan), 0);
    V counts;
    for (const auto& call : f.rq.calls) {
      if (call.code == graphics::kDrawAxisLabels && call.texts == plan.counts.texts) {
        counts.push_back(std::to_string(call.ints[0]));
      }
    }
    EXPECT_EQ(counts, V{reversed ? "4" : "3"}) << reversed;
  }
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
