// Traces as lines, markers and bars, reference lines, the reference polyline and the
// attribute-diagram lines, read back from the recorded requests.
#include "plot/draw/lines.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "graphics/request_codes.h"
#include "plot/kinds.h"
#include "tests/plot/draw/draw_fixture.h"

namespace kor::plot::draw {
namespace {

using testing::DrawFixture;
using testing::of_code;
using testing::stream;
using V = std::vector<std::string>;

TEST(TraceLines, MissingValueSplitsTheLineAndMovesItsMarkerOutside) {
  // 1, -9999, 3, 4: one polyline through points 3 and 4; the marker of the missing point goes to
  // X start - half the X range (0 - 5) and -9999.
  DrawFixture f(1);
  f.set_trace(0, {1, 2, 3, 4}, {1, -9999, 3, 4});
  ASSERT_EQ(draw_traces(f.pen, f.view(kTimeSeries)), 0);
  EXPECT_EQ(stream(f.rq),
            (V{"1207", "1201 1", "1001 1 1 1 1", "801 M x=3,4 y=3,4", "1201 1", "1207", "1201 1",
               "1005 1 0 1 1", "803 M x=1,-5,3,4 y=1,-9999,3,4", "1201 1"}));
}

TEST(TraceLines, MarkerIntervals) {
  struct Case {
    const char* name;
    int points, interval;
    std::vector<int> marked;
  };
  const Case kCases[] = {
      {"every point", 4, 1, {0, 1, 2, 3}},
      {"every third", 7, 3, {0, 3, 6}},
      {"interval beyond the points", 3, 5, {0}},
      {"interval 0: no markers", 4, 0, {}},
  };
  for (const Case& c : kCases) {
    EXPECT_EQ(marked_points(c.points, c.interval), c.marked) << c.name;
  }
  // A trace whose marker interval is 0 is a line without markers.
  DrawFixture f(1);
  f.settings.marker_interval[0] = 0;
  f.set_trace(0, {1, 2}, {1, 2});
  ASSERT_EQ(draw_traces(f.pen, f.view(kTimeSeries)), 0);
  EXPECT_TRUE(of_code(f.rq, graphics::kMarkers).empty());
  EXPECT_EQ(of_code(f.rq, graphics::kPolyline), V{"801 M x=1,2 y=1,2"});
}

TEST(TraceLines, ThreeBarTracesStandSideBySide) {
  // Bar width 0.6 and three bar traces: trace k stands (1.5 - k + 1) widths left of the abscissa,
  // so the second starts half a width (0.3) left of it.
  DrawFixture f(3);
  f.layout.bar_width = 0.6;
  for (int t = 0; t < 3; ++t) {
    f.settings.bar_colour[t] = t + 2;
    f.set_trace(t, {5}, {1});
  }
  ASSERT_EQ(draw_traces(f.pen, f.view(kBinnedData)), 0);
  EXPECT_EQ(of_code(f.rq, graphics::kFillPolygon),
            (V{"812 M x=4.1,4.7,4.7,4.1 y=0,0,1,1", "812 M x=4.7,5.3,5.3,4.7 y=0,0,1,1",
               "812 M x=5.3,5.9,5.9,5.3 y=0,0,1,1"}));
  // Filled in the bar colour, outlined with the trace's own line.
  EXPECT_EQ(f.rq.calls[1].code, graphics::kSetColour);
  EXPECT_EQ(f.rq.calls[1].ints, std::vector<int>{2});
  EXPECT_EQ(of_code(f.rq, graphics::kPolyline)[1], "801 M x=4.7,5.3,5.3,4.7,4.7 y=0,0,1,1,0");
}

TEST(TraceLines, LineDefinitionsAndReversedAxes) {
  DrawFixture f(1);
  const float x[] = {1, 2}, y[] = {5, 6};
  EXPECT_EQ(PLT_GLIN(f.pen, f.settings, 2, 'M', x, y), -15);
  EXPECT_EQ(f.out.str(), " -15 = Line number is out of range in PLT_GLIN\n");
  EXPECT_EQ(PLT_GMRK(f.pen, f.settings, f.layout, 0, 'M', x, y), -16);
  EXPECT_TRUE(f.rq.calls.empty());
  f.settings.line_colour[0] = 0;  // colour 0 draws nothing
  EXPECT_EQ(PLT_GLIN(f.pen, f.settings, 1, 'M', x, y), 0);
  EXPECT_TRUE(f.rq.calls.empty());
  f.settings.line_colour[0] = 4;
  f.settings.reversed = true;
  EXPECT_EQ(PLT_GLIN(f.pen, f.settings, 1, 'Q', x, y), 0);
  EXPECT_EQ(of_code(f.rq, graphics::kPolyline), V{"801 Q x=5,6 y=1,2"});
}

TEST(TraceLines, AFailedRequestEndsTheMethodWithTheGraphicsStatus) {
  DrawFixture f(1);
  f.set_trace(0, {1, 2}, {1, 2});
  f.rq.returns[graphics::kPolyline] = {-211};
  EXPECT_EQ(draw_traces(f.pen, f.view(kTimeSeries)), -14);
  EXPECT_EQ(f.out.str(), " GRAPHICS PROC ERROR # =     -211\n -14 = ERROR FROM MOBPLT\n");
  EXPECT_EQ(f.rq.codes().back(), graphics::kPolyline);
}

TEST(ReferenceLines, LeftAndRightLinesAcrossThePlot) {
  DrawFixture f(2);
  f.settings.left_refs.count = 2;
  f.settings.left_refs.colour = {3, 0};  // the second is not drawn
  f.settings.left_refs.ordinate = {2.5, 7};
  f.settings.right_axis = true;
  f.settings.right_refs.count = 1;
  f.settings.right_refs.colour = {5};
  f.settings.right_refs.type = {2};
  f.settings.right_refs.width = {3};
  f.settings.right_refs.ordinate = {40};
  ASSERT_EQ(draw_traces(f.pen, f.view(kTimeSeries)), 0);
  const V lines = of_code(f.rq, graphics::kPolyline);
  EXPECT_EQ(lines, (V{"801 M x=0,10 y=2.5,2.5", "801 Q x=0,10 y=40,40"}));
  EXPECT_EQ(of_code(f.rq, graphics::kSetLineAttributes).back(), "1001 2 1 3 1");
}

TEST(ReferencePolyline, PointOutsideThePlotPrintsTheBoundsAndDrawsNothing) {
  DrawFixture f(1);
  f.rq.system_bounds['M'] = {-2, 0, 10, 5};
  f.settings.ref_count = 2;
  f.settings.ref_x = {0, 11};
  f.settings.ref_y = {0, 5};
  EXPECT_EQ(draw_reference_polyline(f.pen, f.view(kCrpsReliability)), -14);
  // -2 x 1.01, 0 x 0.99, 10 x 1.01, 5 x 1.01: 11 lies beyond 10.1.
  EXPECT_EQ(f.out.str(),
            "  Valid coordinate bounds are ( -2.020000,  0.000000) to ( 10.10000,  5.050000).\n"
            " GRAPHICS PROC ERROR # =       13\n -14 = ERROR FROM MOBPLT\n");
  EXPECT_TRUE(of_code(f.rq, graphics::kPolyline).empty());
  // Within 1 % beyond the edge is inside.
  DrawFixture g(1);
  g.rq.system_bounds['M'] = {-2, 0, 10, 5};
  g.settings.ref_count = 2;
  g.settings.ref_x = {-2.01, 10.09};
  g.settings.ref_y = {0, 5.04};
  g.settings.ref_colour = 2;
  g.settings.ref_width = 3;
  EXPECT_EQ(draw_reference_polyline(g.pen, g.view(kCrpsReliability)), 0);
  EXPECT_EQ(stream(g.rq), (V{"303 M", "1207", "1201 2", "1001 1 1 3 1",
                             "801 M x=-2.01,10.09 y=0,5.04", "1201 1"}));
}

TEST(AttributeLines, FourLinesAtTheClimatologicalFrequency) {
  DrawFixture f(1);
  f.layout.x.stop = 1;
  f.layout.y.stop = 1;
  f.settings.adl_colour[3] = 0;  // the climatology line is switched off
  ASSERT_EQ(draw_attribute_lines(f.pen, f.view(kAttributeDiagram), 0.3), 0);
  // No skill: halfway between the diagonal and 0.3, (0 + 0.3)/2 to (1 + 0.3)/2.
  EXPECT_EQ(of_code(f.rq, graphics::kPolyline),
            (V{"801 M x=0.3,0.3 y=0,1", "801 M x=0,1 y=0,1", "801 M x=0,1 y=0.15,0.65"}));
  EXPECT_EQ(of_code(f.rq, graphics::kSetLineAttributes)[0], "1001 2 1 1 1");  // ADL type 2
}

}  // namespace
}  // namespace kor::plot::draw
