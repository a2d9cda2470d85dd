// Frame and legend: title lines, legend texts and their substitutions, the observation-counts
// line, and the margins of the plot area worked out from the character sizes.
#include "plot/draw/frame.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "graphics/request_codes.h"
#include "plot/kinds.h"
#include "tests/plot/draw/draw_fixture.h"

namespace kor::plot::draw {
namespace {

using testing::DrawFixture;
using V = std::vector<std::string>;

TEST(FrameTexts, TitleLines) {
  struct Case {
    const char* name;
    const char* title;
    int width;
    V lines;
  };
  const Case kCases[] = {
      {"split at backslashes", "FIRST\\SECOND LINE", 40, {"FIRST", "SECOND LINE"}},
      {"broken at the last blank that fits", "ONE-TWO THREE", 8, {"ONE-TWO", "THREE"}},
      {"or after the last hyphen", "ONE-TWO THREE", 5, {"ONE-", "TWO", "THREE"}},
      {"cut where nothing fits", "ABCDEFGH", 3, {"ABC", "DEF", "GH"}},
      {"blank lines dropped", "A\\ \\B", 10, {"A", "B"}},
  };
  for (const Case& c : kCases) EXPECT_EQ(title_lines(c.title, c.width), c.lines) << c.name;
  EXPECT_EQ(wrap_words("MODEL=GLOBAL RELIABILITY  X", 14), (V{"MODEL=GLOBAL", "RELIABILITY X"}));
}

TEST(FrameTexts, LegendSubstitutions) {
  DrawFixture f(3);
  f.layout.trace_labels = {"Analysis", "MODEL=G", "MODEL=R"};
  f.settings.weighted_mean = {true, true, true};
  f.settings.label_given[0] = true;
  PlotView v = f.view(kTimeSeries);
  v.summary[0][kMeanSummary] = 1.5;
  v.summary[1][kMeanSummary] = 0.25;
  EXPECT_EQ(legend_text(v, 0), "Analysis =  1.50000E+00");      // given label: " = "
  EXPECT_EQ(legend_text(v, 1), "MODEL=G MEAN =  2.50000E-01");  // built label: " MEAN = "
  EXPECT_EQ(legend_text(v, 2), "MODEL=R MEAN = MISSING");

  DrawFixture a(1);
  a.layout.trace_labels[0] = "BS=$BSC REL=$REL UNC=$UNC $RPS";
  PlotView av = a.view(kAttributeDiagram);
  av.summary[0] = {0.1234567, 0.5, -9999, 0.25, 0.3, -9999};
  EXPECT_EQ(legend_text(av, 0), "BS=0.1235 REL=$REL UNC=0.3000 $RPS");
  a.layout.trace_labels[0] = "CRPS $RPS POT $POT SKILL $RSK";
  PlotView cv = a.view(kCrpsReliability);
  cv.summary[0] = {0.5, -0.25, 0, 0, 0, 0.125};
  EXPECT_EQ(legend_text(cv, 0), "CRPS 0.5000 POT 0.1250 SKILL -0.2500");
}

TEST(FrameTexts, ObservationCountsLine) {
  DrawFixture f(2);
  PlotView v = f.view(kBinnedData);
  v.stat_type = "FHO";
  v.trace_list = {1, 2};
  v.count_code = 1;
  EXPECT_EQ(counts_line(v), "OBSERVATION COUNTS (FROM FIRST TRACE):");
  v.trace_list = {1, 1};
  EXPECT_EQ(counts_line(v), "OBSERVATION COUNTS:");
  v.trace_list = {1, 2};
  v.count_code = 2;
  EXPECT_EQ(counts_line(v), "OBSERVATION COUNTS:");
  v.stat_type = "SL1L2";
  EXPECT_EQ(counts_line(v), "");
  v.stat_type = "FHO";
  v.final_type = kTimeSeries;
  EXPECT_EQ(counts_line(v), "");
}

TEST(FrameTexts, WhenALegendIsDrawn) {
  struct Case {
    const char* name;
    int traces, final_type, method;
    bool mean, legend;
  };
  const Case kCases[] = {
      {"two traces", 2, kTimeSeries, 1, false, true},
      {"one trace", 1, kTimeSeries, 1, false, false},
      {"scatter", 2, kScatter, 1, false, false},
      {"histogram", 2, kHistogram, 2, false, false},
      {"difference", 1, kTimeSeries, 3, false, true},
      {"one weighted mean", 1, kHistogram, 1, true, true},
  };
  for (const Case& c : kCases) {
    DrawFixture f(c.traces);
    f.settings.weighted_mean[0] = c.mean;
    PlotView v = f.view(c.final_type);
    v.method = c.method;
    EXPECT_EQ(has_legend(v), c.legend) << c.name;
  }
}

// 700 x 700 device units, every character 7 wide and 14 high.
FrameMeasures square() {
  FrameMeasures m;
  m.label = m.title = m.legend = m.axis = {7, 14};
  return m;
}

TEST(FrameLayout, DefaultMarginsInCharacterUnits) {
  struct Case {
    const char* name;
    int final_type;
    bool right_axis;
    double top;  // top margin in character heights
    std::array<double, 4> margins;
  };
  // Label level 0: the margins alone; with label level 1 a histogram adds the 3.2 heights of
  // its statistics box.
  const Case kCases[] = {
      {"time series, level 0", kTimeSeries, false, 0, {10, 4, 4, 1}},
      {"right axis, level 0", kTimeSeries, true, 0, {10, 4, 10, 1}},
  };
  for (const Case& c : kCases) {
    DrawFixture f(1);
    f.settings.label_level = 0;
    f.settings.right_axis = c.right_axis;
    const FrameLayout l = layout_frame(f.view(c.final_type), AxisPlan{}, square());
    EXPECT_EQ(l.margins, c.margins) << c.name;
    EXPECT_DOUBLE_EQ(l.left, 70.0 / 700) << c.name;
    EXPECT_DOUBLE_EQ(l.top, 1 - 14.0 / 700) << c.name;
  }
  DrawFixture h(1);
  const FrameLayout l = layout_frame(h.view(kHistogram), AxisPlan{}, square());
  EXPECT_DOUBLE_EQ(l.margins[3], 1 + 3.2);
  // Given margins are kept.
  h.settings.margins = {12, 6, 3, 2};
  h.settings.label_level = 0;
  EXPECT_EQ(layout_frame(h.view(kTimeSeries), AxisPlan{}, square()).margins,
            (std::array<double, 4>{12, 6, 3, 2}));
}

TEST(FrameLayout, AxisTitlesWidenTheirMarginsAndSitOutsideTheLabels) {
  DrawFixture f(1);
  f.layout.x_title = "X";
  f.layout.y_title = "Y";
  f.settings.y_title_line = 2;
  AxisPlan plan;
  plan.y.texts = {"100", "200"};
  const FrameLayout l = layout_frame(f.view(kTimeSeries), plan, square());
  // Bottom: 4 + 1.5 heights.  Left: the labels take 0.8 heights + 3 widths (32.2 units); a title
  // line is that plus 0.8 heights further out (43.4 units), line 2 twice as far (86.8), so the
  // margin grows to 86.8 + 0.7 heights + half a width (100.1 units, 14.3 widths).
  EXPECT_DOUBLE_EQ(l.margins[1], 5.5);
  EXPECT_NEAR(l.margins[0], 100.1 / 7, 1e-9);
  EXPECT_NEAR(l.y_title.x, (100.1 - 86.8) / 700, 1e-9);
  EXPECT_NEAR(l.x_title.y, (77 - (11.2 + 14 + 11.2)) / 700.0, 1e-9);
  EXPECT_EQ(l.x_title.text, "X");
  // Reversed axes: the ordinate's title goes under the plot, the abscissa's beside it.
  f.settings.reversed = true;
  const FrameLayout r = layout_frame(f.view(kTimeSeries), plan, square());
  EXPECT_EQ(r.x_title.text, "Y");
  EXPECT_EQ(r.y_title.text, "X");
}

TEST(FrameLayout, TheLegendLeavesThePlotTheMostRoom) {
  // 700 x 700 units.
  struct Case {
    const char* name;
    double cw, ch;  // character width and height
    int traces;
    const char* label;  // every trace's label (its number in front)
    int columns;        // columns of the legend
    double scale;       // legend text size
    bool whole_lines;   // every entry on one line
    bool dropped;
  };
  const Case kCases[] = {
      // One column of 10 lines would take more than a third of the view: two columns of whole
      // lines, not four columns of wrapped ones.
      {"ten mid-length labels", 10, 20, 10, "Regional member", 2, 1.0, true, false},
      // 24 labels of 63 characters: no whole lines within a third, but one column of whole lines
      // at 70 % leaves the plot its share; three columns of wrapped entries would be less tall.
      {"24 long labels", 7, 14, 24, "Model of the ensemble with a long and descriptive label here",
       1, 0.7, true, false},
      {"two short labels stay in one column", 10, 20, 2, "Global", 1, 1.0, true, false},
      // 24 labels of 27 characters: whole lines in three columns of a text at 85 %, the largest
      // text whose whole lines stay within a third.
      {"24 mid-length labels", 7, 14, 24, "Regional ensemble member", 3, 0.85, true, false},
  };
  for (const Case& c : kCases) {
    DrawFixture f(c.traces);
    for (int h = 0; h < c.traces; ++h) {
      f.layout.trace_labels[h] = c.label + std::string(" ") + std::to_string(h + 1);
      f.set_trace(h, {0, 1}, {1, 2});
    }
    FrameMeasures m;
    m.label = m.title = m.legend = m.axis = {c.cw, c.ch};
    const FrameLayout l = layout_frame(f.view(kTimeSeries), AxisPlan{}, m);
    EXPECT_EQ(l.legend_dropped, c.dropped) << c.name;
    EXPECT_DOUBLE_EQ(l.legend_scale, c.scale) << c.name;
    std::set<double> columns;
    bool whole = true;
    for (const LegendEntry& e : l.legend) {
      columns.insert(e.sample_x);
      whole = whole && e.lines.size() == 1;
    }
    EXPECT_EQ(static_cast<int>(columns.size()), c.columns) << c.name;
    EXPECT_EQ(whole, c.whole_lines) << c.name;
    // The plot keeps at least 30 % of the view region's height.
    EXPECT_GE(l.top - l.bottom, 0.3 - 1e-9) << c.name;
  }
  // With no room at all the legend is left out.
  DrawFixture tiny(24);
  for (int h = 0; h < 24; ++h)
    tiny.layout.trace_labels[h] = "A label that is rather long " + std::to_string(h);
  FrameMeasures m;
  m.view_width = m.view_height = 150;
  m.label = m.title = m.legend = m.axis = {10, 20};
  const FrameLayout l = layout_frame(tiny.view(kTimeSeries), AxisPlan{}, m);
  EXPECT_TRUE(l.legend_dropped);
  EXPECT_TRUE(l.legend.empty());
}

TEST(FrameTexts, AnEmptyTraceSaysSoInItsLegend) {
  DrawFixture f(2);
  f.layout.trace_labels = {"GOOD", "EMPTY"};
  f.set_trace(0, {0, 1}, {1, 2});
  f.set_trace(1, {0, 1}, {-9999, -9999});
  const PlotView v = f.view(kTimeSeries);
  EXPECT_EQ(legend_text(v, 0), "GOOD");
  EXPECT_EQ(legend_text(v, 1), "EMPTY (NO DATA)");
}

TEST(FrameTexts, TextScalesWithThePanel) {
  EXPECT_DOUBLE_EQ(panel_text_scale({0, 0, 1, 1}), 1.0);
  EXPECT_DOUBLE_EQ(panel_text_scale({0, 0.51, 0.49, 1}), 0.5);  // a quarter: at least one half
  EXPECT_NEAR(panel_text_scale({0, 0, 0.49, 1}), std::sqrt(0.49), 1e-12);
  // The pen's scale multiplies the size of every text attribute request.
  DrawFixture f(1);
  f.pen.text_scale = 0.5;
  bool hardware = false;
  ASSERT_EQ(apply_text_attributes(f.pen, "2/1/1/SW", kLeft, hardware, 0.8), 0);
  ASSERT_EQ(f.rq.calls.size(), 1u);
  EXPECT_FLOAT_EQ(f.rq.calls[0].reals[0], 0.8f);
  // A plot in a quarter of the page: every text of its frame and legend at half the size.
  DrawFixture q(2);
  q.rq.system_bounds['S'] = {0, 0, 700, 700};
  q.rq.attribute_values.reals = {0.01f, 0.02f};
  q.settings.panel = {0, 0.5, 0.5, 1};
  q.layout.title = "A title";
  q.layout.trace_labels = {"GLOBAL", "REGIONAL"};
  q.layout.x.start = q.layout.y.start = 0;
  q.layout.x.stop = q.layout.y.stop = 1;
  q.set_trace(0, {0, 1}, {0, 1});
  q.set_trace(1, {0, 1}, {1, 0});
  AxisPlan plan;
  ASSERT_EQ(frame_and_legend(q.pen, q.view(kTimeSeries), plan), 0) << q.out.str();
  int sizes = 0;
  for (const auto& call : q.rq.calls) {
    if (call.code != graphics::kSetTextAttributes) continue;
    ++sizes;
    EXPECT_FLOAT_EQ(call.reals[0], 0.5f);
  }
  EXPECT_GE(sizes, 4);
}

TEST(FrameLayout, AxisTitleLinesPastThePageLeaveTheNarrowestTitle) {
  // A title line of 2147483647 pushes the plot area's side far past the page: the plot width is
  // negative, so the title breaks at the narrowest width there is (8 characters).
  struct Case {
    const char* name;
    int y_line, ry_line;
  };
  constexpr Case kCases[] = {{"ordinate title", 2147483647, 1},
                             {"right ordinate title", 1, 2147483647}};
  for (const Case& c : kCases) {
    DrawFixture f(1);
    f.layout.title = "ONE-TWO THREE FOUR";
    f.layout.y_title = "Y";
    f.layout.ry_title = "R";
    f.settings.right_axis = true;
    f.settings.y_title_line = c.y_line;
    f.settings.ry_title_line = c.ry_line;
    const FrameLayout l = layout_frame(f.view(kTimeSeries), AxisPlan{}, square());
    ASSERT_EQ(l.title.size(), 3u) << c.name;
    EXPECT_EQ(l.title[0].text, "ONE-TWO") << c.name;
    EXPECT_EQ(l.title[1].text, "THREE") << c.name;
    EXPECT_EQ(l.title[2].text, "FOUR") << c.name;
  }
}

}  // namespace
}  // namespace kor::plot::draw
