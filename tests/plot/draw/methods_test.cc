// The histogram and the scatter plot: their numbers worked out by hand, and what they draw.
#include "plot/draw/methods.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "graphics/request_codes.h"
#include "plot/kinds.h"
#include "tests/plot/draw/draw_fixture.h"

namespace kor::plot::draw {
namespace {

using testing::DrawFixture;
using testing::of_code;
using V = std::vector<std::string>;

TEST(Histogram, BinsOfZeroOneOneTwo) {
  // Labels 0, 1, 2: bins -0.5..0.5, 0.5..1.5 and 1.5..2.5; the value 2 falls in the last bin.
  const double labels[] = {0, 1, 2};
  const float values[] = {0, 1, 1, 2, -9999};
  const std::vector<HistogramBin> bins = histogram_bins(labels, values);
  ASSERT_EQ(bins.size(), 3u);
  const double expected[3][3] = {{-0.5, 0.5, 0.25}, {0.5, 1.5, 0.5}, {1.5, 2.5, 0.25}};
  for (int i = 0; i < 3; ++i) {
    EXPECT_DOUBLE_EQ(bins[i].left, expected[i][0]) << "bin " << i;
    EXPECT_DOUBLE_EQ(bins[i].right, expected[i][1]) << "bin " << i;
    EXPECT_DOUBLE_EQ(bins[i].frequency, expected[i][2]) << "bin " << i;
  }
  // Uneven labels 0, 1, 4: edges halfway between them, the last as far out as the last half gap.
  const double uneven[] = {0, 1, 4};
  const float at_edge[] = {2.5f, 5.5f};
  const std::vector<HistogramBin> b = histogram_bins(uneven, at_edge);
  EXPECT_DOUBLE_EQ(b[2].left, 2.5);
  EXPECT_DOUBLE_EQ(b[2].right, 5.5);
  EXPECT_DOUBLE_EQ(b[2].frequency, 1.0);  // 2.5 starts the last bin, 5.5 is its right edge
}

TEST(Histogram, StatisticsOfTheValues) {
  const float values[] = {0, 1, -9999, 1, 2};
  const ValueStatistics st = value_statistics(values);
  EXPECT_EQ(st.count, 4);
  EXPECT_DOUBLE_EQ(st.mean, 1.0);
  EXPECT_DOUBLE_EQ(st.std_dev, std::sqrt(6.0 / 4 - 1.0));  // sum v^2 = 6
  EXPECT_DOUBLE_EQ(st.max, 2.0);
  EXPECT_DOUBLE_EQ(st.min, 0.0);
}

TEST(Histogram, ReversedAxesDrawNothing) {
  DrawFixture f(1);
  f.settings.reversed = true;
  f.set_trace(0, {1, 2}, {0, 1});
  EXPECT_EQ(draw_histogram(f.pen, f.view(kHistogram), true), 0);
  EXPECT_EQ(f.out.str(), "  Reversed coordinate histogram is not allowed.\n");
  EXPECT_TRUE(f.rq.calls.empty());
}

TEST(Scatter, PairsMatchByAbscissa) {
  const float x1[] = {1, 2, 3, 5}, y1[] = {10, 20, 30, 50};
  const float x2[] = {2, 3.000001f, 4, 5}, y2[] = {-2, -3, -4, -5};
  const ScatterPairs p = scatter_pairs(x1, y1, x2, y2);
  EXPECT_EQ(p.x, (std::vector<float>{20, 30, 50}));
  EXPECT_EQ(p.y, (std::vector<float>{-2, -3, -5}));
}

TEST(Scatter, IdenticalTracesGiveCorrelationOneSlopeOneInterceptZero) {
  DrawFixture f(2);
  f.set_trace(0, {1, 2, 3, 4}, {1, 2, 4, -9999});
  f.set_trace(1, {1, 2, 3, 4}, {1, 2, 4, -9999});
  f.rq.system_bounds['M'] = {0, 0, 5, 5};
  f.rq.system_bounds['P'] = {0.1, 0.1, 0.9, 0.8};
  f.rq.attribute_values.reals = {0.01f, 0.02f};
  ASSERT_EQ(draw_scatter(f.pen, f.view(kScatter)), 0);
  EXPECT_EQ(f.out.str(),
            " Regression line slope =   1.00000E+00\n"
            " Regression line intercept =   0.00000E+00\n");
  // The pairs (the missing one moved off the plot), the diagonal and the regression line, which
  // lie on each other, and the box: CORR 1, both means 7/3.
  EXPECT_EQ(of_code(f.rq, graphics::kMarkers), V{"803 M x=1,2,4,-5 y=1,2,4,-9999"});
  EXPECT_EQ(of_code(f.rq, graphics::kPolyline), (V{"801 M x=0,5 y=0,5", "801 M x=0,5 y=0,5"}));
  EXPECT_EQ(of_code(f.rq, graphics::kText), (V{"802 V 0 0 0.1 0.853 0 'CORR =   1.0000'",
                                               "802 V 0 0 0.1 0.832 0 'XAV =  2.333E+00'",
                                               "802 V 0 0 0.1 0.811 0 'YAV =  2.333E+00'"}));
}

TEST(Scatter, ConstantFirstTraceDrawsAVerticalLineAtItsMean) {
  DrawFixture f(2);
  f.set_trace(0, {1, 2, 3}, {0.1f, 0.1f, 0.1f});
  f.set_trace(1, {1, 2, 3}, {1, 2, 3});
  f.rq.system_bounds['M'] = {0, 0, 4, 4};
  f.settings.line_colour[0] = 0;  // no diagonal
  ASSERT_EQ(draw_scatter(f.pen, f.view(kScatter)), 0);
  EXPECT_EQ(f.out.str(), "  Regression line slope is infinite.\n");
  EXPECT_EQ(of_code(f.rq, graphics::kPolyline), V{"801 M x=0.1,0.1 y=0,4"});
}

TEST(Scatter, RegressionOfAKnownLine) {
  // y = 2x + 1 exactly: slope 2, intercept 1, correlation 1; y = -x: correlation -1.
  const float x[] = {0, 1, 2, 3}, y[] = {1, 3, 5, 7}, down[] = {0, -1, -2, -3};
  const Regression r = regression(x, y);
  EXPECT_EQ(r.n, 4);
  EXPECT_DOUBLE_EQ(r.slope, 2.0);
  EXPECT_DOUBLE_EQ(r.intercept, 1.0);
  EXPECT_DOUBLE_EQ(r.correlation, 1.0);
  EXPECT_DOUBLE_EQ(regression(x, down).correlation, -1.0);
  // A constant second trace: its root is 0, the correlation 1 and the slope 0.
  const float flat[] = {2, 2, 2, 2};
  const Regression c = regression(x, flat);
  EXPECT_DOUBLE_EQ(c.correlation, 1.0);
  EXPECT_FALSE(c.vertical);
  EXPECT_DOUBLE_EQ(c.slope, 0.0);
  EXPECT_DOUBLE_EQ(c.intercept, 2.0);
}

TEST(Scatter, ReversedAxesDrawNothing) {
  DrawFixture f(2);
  f.settings.reversed = true;
  EXPECT_EQ(draw_scatter(f.pen, f.view(kScatter)), 0);
  EXPECT_EQ(f.out.str(), "  Reversed coordinate scatter plot not allowed.\n");
  EXPECT_TRUE(f.rq.calls.empty());
}

}  // namespace
}  // namespace kor::plot::draw
