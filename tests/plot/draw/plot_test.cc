// Three whole plots drawn through the recording stand-in, each compared request by request with
// the stream worked out from the drawing rules: a ROC diagram and a histogram without titles
// (label level 0), and a time series of two traces with its title, legend and axis titles.
//
// The stand-in answers a page of 700 x 700 device units and characters 0.01 x 0.02 of the view
// region (7 x 14 units) for every text attribute set.
#include "plot/draw/plot.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "graphics/request_codes.h"
#include "plot/kinds.h"
#include "tests/plot/draw/draw_fixture.h"

namespace kor::plot::draw {
namespace {

using testing::DrawFixture;
using testing::stream;
using V = std::vector<std::string>;

const std::string kText = "1002 1 1 1 0 0 2 1";  // "1/1/1/SW" centred
const std::string kTextLeft = "1002 1 1 1 0 0 1 1";
const V kMeasure = {"303 S", kText, "1013", kText, "1013", kText, "1013", kText, "1013"};
const V kEnd = {"207", "214", "102 0"};
const std::string kStillRunning = "  Warning:  MOBPLT subprocesses are still running.\n";

class WholePlot : public ::testing::Test {
 protected:
  explicit WholePlot(int traces = 1) : f_(traces) {}
  void SetUp() override {
    f_.rq.system_bounds['S'] = {0, 0, 700, 700};
    f_.rq.attribute_values.reals = {0.01f, 0.02f};
  }
  void axis(AxisState& a, double start, double stop, std::initializer_list<double> labels) {
    a.start = start;
    a.stop = stop;
    a.label_count = 0;
    for (double v : labels) a.labels[a.label_count++] = v;
  }
  int draw(const PlotView& v) {
    util::SupportState support;
    int rc = draw_plot(f_.pen, v, false, nullptr, support);
    const int e = end_graphics(f_.pen);
    return rc != 0 ? rc : e;
  }
  static V join(std::initializer_list<V> parts) {
    V out;
    for (const V& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
  }
  DrawFixture f_;
};

TEST_F(WholePlot, RocDiagramWithoutTitles) {
  f_.settings.label_level = 0;
  f_.settings.line_colour[0] = 2;
  axis(f_.layout.x, 0, 1, {0, 0.5, 1});
  axis(f_.layout.y, 0, 1, {0, 0.5, 1});
  f_.set_trace(0, {0, 0.5f, 1}, {0, 0.8f, 1});
  ASSERT_EQ(draw(f_.view(kRocDiagram)), 0);
  const V expected = join({
      kMeasure,
      {kText, "602 10 4 4 1"},  // the margins as they are: no title room at label level 0
      {"601 1 1 1 0 0 1 1", kText, "1201 1", "1001 1 1 1 1",  // axes in the border style
       "603 1 0 0 1 0 0 -9999 x=0,0.5,1", "604 1 1 0 0 0 3 -9999 x=0,0.5,1 '0' '0.5' '1.0'",
       "603 2 0 0 1 0 0 -9999 x=0,0.5,1", "604 2 1 0 0 0 3 -9999 x=0,0.5,1 '0' '0.5' '1.0'",
       "801 P x=0,1,1,0,0 y=0,0,1,1,0"},
      {"1207", "1201 2", "1001 1 1 1 1", "801 M x=0,0.5,1 y=0,0.8,1", "1201 1",   // the line
       "1207", "1201 1", "1005 1 0 1 1", "803 M x=0,0.5,1 y=0,0.8,1", "1201 1"},  // markers
      kEnd,
  });
  EXPECT_EQ(stream(f_.rq), expected);
  EXPECT_EQ(f_.out.str(), kStillRunning);
}

TEST_F(WholePlot, HistogramOfZeroOneOneTwo) {
  f_.settings.label_level = 0;
  f_.settings.line_colour[0] = 3;
  axis(f_.layout.x, 0, 2, {0, 1, 2});
  axis(f_.layout.y, 0, 1, {0, 0.5, 1});
  f_.set_trace(0, {1, 2, 3, 4}, {0, 1, 1, 2});
  f_.rq.system_bounds['P'] = {0.1f, 0.1f, 0.9f, 0.8f};
  auto bin = [](const std::string& x, const std::string& top) {
    const std::string y = "0,0," + top + "," + top;
    return V{"1201 3",       "812 M x=" + x + " y=" + y,
             "1207",         "1201 1",
             "1001 1 1 1 1", "801 M x=" + x + "," + x.substr(0, x.find(',')) + " y=" + y + ",0",
             "1201 1"};
  };
  ASSERT_EQ(draw(f_.view(kHistogram)), 0);
  const V expected = join({
      kMeasure,
      {kText, "602 10 4 4 1"},
      {"601 1 1 1 0 0 2 1", kText, "1201 1", "1001 1 1 1 1", "603 1 0 0 1 0 0 -9999 x=0,1,2",
       "604 1 1 0 0 0 1 -9999 x=0,1,2 '0' '1' '2'", "603 2 0 0 1 0 0 -9999 x=0,0.5,1",
       "604 2 1 0 0 0 3 -9999 x=0,0.5,1 '0' '0.5' '1.0'", "801 P x=0,1,1,0,0 y=0,0,1,1,0"},
      {"1207"},
      bin("-0.5,0.5,0.5,-0.5", "0.25"),
      bin("0.5,1.5,1.5,0.5", "0.5"),
      bin("1.5,2.5,2.5,1.5", "0.25"),
      {"1201 1"},
      // The statistics above the plot's upper left corner (0.1, 0.8), 2.65, 1.6 and 0.55
      // character heights (0.02) above its top; maximum and minimum from the middle (0.5).
      {kTextLeft, "303 P", "1013", "802 V 0 0 0.1 0.853 0 'COUNT =         4.'",
       "802 V 0 0 0.1 0.832 0 'AVG =  1.00000E+00'", "802 V 0 0 0.1 0.811 0 'STD =  7.07107E-01'",
       kTextLeft, "303 P", "1013", "802 V 0 0 0.5 0.853 0 'MAX =  2.00000E+00'",
       "802 V 0 0 0.5 0.832 0 'MIN =  0.00000E+00'", "207"},
      {"1201 1", "1001 1 1 1 1", "801 P x=0,1,1,0,0 y=0,0,1,1,0"},  // the frame over the bins
      kEnd,
  });
  EXPECT_EQ(stream(f_.rq), expected);
}

class WholeTimeSeries : public WholePlot {
 protected:
  WholeTimeSeries() : WholePlot(2) {}
};

TEST_F(WholeTimeSeries, TitleLegendAndAxisTitles) {
  f_.layout.title = "T";
  f_.layout.trace_labels = {"A", "B"};
  f_.layout.x_title = "TIME";
  f_.layout.y_title = "BIAS";
  f_.settings.line_colour = {2, 3};
  axis(f_.layout.x, 0, 1, {});
  axis(f_.layout.y, 0, 10, {0, 5, 10});
  f_.set_trace(0, {0, 1}, {2, 4});
  f_.set_trace(1, {0, 1}, {3, 5});
  MergedAxis merged;
  merged.count = 2;
  merged.position = {0, 1};
  merged.label = {"202611011200", "202611021200"};
  PlotView v = f_.view(kTimeSeries);
  v.merged = &merged;
  v.label_type = 't';
  ASSERT_EQ(draw(v), 0);
  // Margins in units of 700: left 70 + 10.5 for the Y title, bottom 56 + 21 for the X title,
  // right 28, top 14.  The title line takes 21 (its middle at 700 - 35 + 10.5 = 675.5), each
  // legend line 19.6 (middles at 655.2 and 635.6), so the top margin is 74.2 (5.3 heights).  The
  // plot runs from 80.5 to 672 (middle 376.25); the X title lies one label row (25.2) and 11.2
  // below the plot (40.6), the Y title 14 + 11.2 + 11.2 left of it (44.1), in the middle of
  // 77 .. 625.8 (351.4).
  const auto sample = [](int colour, int type, const std::string& y) {
    return V{"1207",
             "1201 " + std::to_string(colour),
             "1001 " + std::to_string(type) + " 1 1 1",
             "801 V x=0.115,0.145 y=" + y + "," + y,
             "1201 1",
             "1207",
             "1201 1",
             "1005 " + std::to_string(type) + " 0 1 1",
             "803 V x=0.13 y=" + y,
             "1201 1"};
  };
  const auto trace = [](int colour, int type, const std::string& y) {
    return V{"1207",
             "1201 " + std::to_string(colour),
             "1001 " + std::to_string(type) + " 1 1 1",
             "801 M x=0,1 y=" + y,
             "1201 1",
             "1207",
             "1201 1",
             "1005 " + std::to_string(type) + " 0 1 1",
             "803 M x=0,1 y=" + y,
             "1201 1"};
  };
  const V expected = join({
      kMeasure,
      {kText, "802 V 0 0 0.5375 0.965 0 'T'", kTextLeft},
      sample(2, 1, "0.936"),
      {"802 V 0 0 0.155 0.936 0 'A'"},
      sample(3, 2, "0.908"),
      {"802 V 0 0 0.155 0.908 0 'B'"},
      {kText, "802 V 0 0 0.5375 0.058 0 'TIME'", "802 V 0 0 0.063 0.502 90 'BIAS'"},
      {kText, "602 11.5 5.5 4 5.3"},
      {"601 1 1 1 0 0 1 10", kText, "1201 1", "1001 1 1 1 1", "603 1 0 0 1 0 0 -9999 x=0,1",
       "604 1 1 0 0 0 9 -9999 x=0,1 '261101/12' '02/'", "603 2 0 0 1 0 0 -9999 x=0,5,10",
       "604 2 1 0 0 0 2 -9999 x=0,5,10 '0' '5' '10'", "801 P x=0,1,1,0,0 y=0,0,1,1,0"},
      trace(2, 1, "2,4"),
      trace(3, 2, "3,5"),
      kEnd,
  });
  EXPECT_EQ(stream(f_.rq), expected);
  EXPECT_EQ(f_.out.str(), kStillRunning);
}

TEST_F(WholePlot, FailuresEndThePlotWithMinus14) {
  struct Case {
    const char* name;
    int code;  // the request that fails
    int final_type;
    int result;
    const char* out;
  };
  const Case kCases[] = {
      {"server gone before the frame", graphics::kQueryBounds, kTimeSeries, -14,
       " GRAPHICS PROC ERROR # =       -1\n -14 = ERROR FROM MOBPLT\n PLT_DRIV\n"
       " -14 = ERROR FROM MOBPLT\n"},
      {"refused polyline", graphics::kPolyline, kRocDiagram, -14,
       " GRAPHICS PROC ERROR # =       -1\n -14 = ERROR FROM MOBPLT\n PLT_DRIV\n"
       " -14 = ERROR FROM MOBPLT\n"},
      {"refused text attributes", graphics::kSetTextAttributes, kTimeSeries, -12,
       " PLT_DRIV\n -12 = invalid input for L_TEXT/T_TEXT control parm\n"},
  };
  for (const Case& c : kCases) {
    DrawFixture f(1);
    f.settings.label_level = 0;
    f.rq.system_bounds['S'] = {0, 0, 700, 700};
    f.rq.attribute_values.reals = {0.01f, 0.02f};
    f.rq.returns[c.code] = {-1};
    util::SupportState support;
    PlotView v = f.view(c.final_type);
    MergedAxis none;
    v.merged = &none;
    v.label_type = 't';
    EXPECT_EQ(draw_plot(f.pen, v, false, nullptr, support), c.result) << c.name;
    EXPECT_EQ(f.out.str(), c.out) << c.name;
  }
  // A scatter plot of one trace: -5, nothing drawn after the axes.
  DrawFixture s(1);
  s.rq.system_bounds['S'] = {0, 0, 700, 700};
  s.rq.attribute_values.reals = {0.01f, 0.02f};
  util::SupportState support;
  EXPECT_EQ(draw_plot(s.pen, s.view(kScatter), false, nullptr, support), -5);
  EXPECT_EQ(s.out.str(), " -05 = scatter plot requires two and only two traces\n");
  EXPECT_EQ(s.rq.codes().back(), graphics::kPolyline);  // the frame
}

}  // namespace
}  // namespace kor::plot::draw
