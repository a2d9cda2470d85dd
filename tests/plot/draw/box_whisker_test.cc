// Box-whisker objects and their annotation: where the objects of one abscissa stand, what a box
// and its whiskers are made of, which points get none, and the annotation's text and place.
#include "plot/draw/box_whisker.h"

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

TEST(BoxWhiskerPlace, ObjectsStandSideBySide) {
  struct Case {
    const char* name;
    int pairs, lines, pair, line;
    bool marked;
    double shift;
  };
  // Unmarked benchmark: w (g/2 - i + 1).  Marked: w ((g + 1) G / 2 - (g + 1) j - i + 0.5).
  const Case kCases[] = {
      {"one pair", 1, 1, 1, 1, false, 0.5},
      {"second of two pairs", 2, 1, 2, 1, false, 0.0},
      {"marked, one pair", 1, 1, 1, 1, true, 0.5},
      {"marked, second pair of line 1 of 2", 2, 2, 2, 1, true, 1.5},
      {"marked, first pair of line 2 of 2", 2, 2, 1, 2, true, -0.5},
  };
  for (const Case& c : kCases) {
    DrawFixture f(6);
    for (int t = 0; t < 6; ++t) f.settings.marker_colour[t] = c.marked ? 1 : 0;
    EXPECT_DOUBLE_EQ(box_shift(f.view(kSkillScore), {c.pairs, c.lines}, c.pair, c.line, 1.0),
                     c.shift)
        << c.name;
  }
}

class BoxWhiskerDraw : public ::testing::Test {
 protected:
  BoxWhiskerDraw() : f_(2) {
    f_.settings.marker_colour = {0, 0};
    f_.settings.bxw_colour[0] = 3;
    f_.settings.bxw_request[0] = 2;
    f_.layout.bxw_spacing = 1.0;
    f_.set_trace(0, {10, 20}, {5, 6});
    minus_lower_[0] = 1;
    upper_[0] = 2;
    upper_whisker_[0] = 0.5;
    lower_whisker_[0] = 0.25;
    minus_lower_[1] = 1;
    upper_[1] = -9999;  // no box at the second point
  }
  int draw(double scale) {
    const BoxWhiskerTables t{minus_lower_, upper_, upper_whisker_, lower_whisker_};
    return BXW_DRAW(f_.pen, f_.view(kSkillScore), t, {1, 1}, 0, 1, 1, 0, 'M', scale);
  }
  DrawFixture f_;
  std::vector<float> minus_lower_ = std::vector<float>(kMaxTraces * kBxwPoints, 0);
  std::vector<float> upper_ = minus_lower_, upper_whisker_ = minus_lower_,
                     lower_whisker_ = minus_lower_;
};

TEST_F(BoxWhiskerDraw, BoxesOnlyAreThreeLines) {
  // Shift 0.5: the box spans 10 - 0.5 + 0.25 to 10 - 0.5 + 0.75, from 5 - 1 to 5 + 2.
  ASSERT_EQ(draw(1.0), 0);
  EXPECT_EQ(stream(f_.rq), (V{"1207", "1201 3", "1001 1 1 2 1", "801 M x=9.75,10.25 y=4,4",
                              "801 M x=10,10 y=4,7", "801 M x=9.75,10.25 y=7,7", "1201 1"}));
}

TEST_F(BoxWhiskerDraw, WhiskersOnAClosedBoxScaled) {
  f_.settings.bxw_print = true;
  f_.settings.bxw_second = true;  // side by side: half a width to the right
  ASSERT_EQ(draw(2.0), 0);
  // Scale 2: from 5 - 2 to 5 + 4, whiskers 2 x 0.5 up and 2 x 0.25 down.
  EXPECT_EQ(of_code(f_.rq, graphics::kPolyline),
            (V{"801 M x=10.25,10.25,10.75,10.75,10.25 y=3,9,9,3,3", "801 M x=10.5,10.5 y=9,10",
               "801 M x=10.5,10.5 y=3,2.5"}));
}

TEST_F(BoxWhiskerDraw, ZeroColourDrawsNothingAndFailuresGoOn) {
  f_.settings.bxw_colour[0] = 0;
  EXPECT_EQ(draw(1.0), 0);
  EXPECT_TRUE(f_.rq.calls.empty());
  f_.settings.bxw_colour[0] = 3;
  f_.rq.returns[graphics::kPolyline] = {-211};
  EXPECT_EQ(draw(1.0), -14);
  EXPECT_EQ(of_code(f_.rq, graphics::kPolyline).size(), 3u);  // drawing went on
  EXPECT_EQ(f_.rq.codes().back(), graphics::kSetColour);      // and the colour came back
}

TEST(BoxWhiskerRun, EachResultOnItsGroupsBenchmarkAndAxis) {
  // Two statistic lines of one pair each: traces 1, 2 and 3, 4; the benchmark of line 2 (trace 3)
  // is on the right axis, so its objects are drawn on the alternate pair, scaled by the right
  // factor.
  DrawFixture f(4);
  f.settings.marker_colour = {0, 0, 0, 0};
  f.settings.bxw_colour = {2, 3};
  f.settings.right_axis = true;
  f.settings.right_trace[2] = true;
  f.settings.right_factor = 10;
  f.layout.bxw_spacing = 1.0;
  f.layout.ry.start = 0;
  f.layout.ry.stop = 100;
  f.set_trace(0, {1}, {5});
  f.set_trace(2, {1}, {50});
  std::vector<float> ml(kMaxTraces * kBxwPoints, 0), up = ml, uw = ml, lw = ml;
  ml[0] = ml[kBxwPoints] = 1;
  up[0] = up[kBxwPoints] = 1;
  ASSERT_EQ(draw_box_whiskers(f.pen, f.view(kSkillScore), {ml, up, uw, lw}, {1, 2}), 0);
  EXPECT_EQ(of_code(f.rq, graphics::kSetGraph), (V{"601 1 1 2 0 0 10 100", "601 1 1 1 0 0 10 10"}));
  EXPECT_EQ(of_code(f.rq, graphics::kPolyline),
            (V{"801 M x=0.75,1.25 y=4,4", "801 M x=1,1 y=4,6", "801 M x=0.75,1.25 y=6,6",
               "801 M x=0.75,1.25 y=40,40", "801 M x=1,1 y=40,60", "801 M x=0.75,1.25 y=60,60"}));
  EXPECT_EQ(f.rq.codes()[0], graphics::kQueryCurrentColour);
  EXPECT_EQ(f.rq.calls[1].ints, std::vector<int>{2});  // result 1 in its colour
}

class BoxWhiskerNote : public ::testing::Test {
 protected:
  BoxWhiskerNote() : f_(2) {
    f_.settings.bxw_colour[0] = 1;
    f_.settings.btext_count = 2;
    f_.settings.btext_attr = "1/1/1/SW/211/0/L";
    f_.rq.attribute_values.reals = {0.01f, 0.02f};
  }
  int note() { return BXW_NOTE(f_.pen, f_.view(kSkillScore), support_); }
  DrawFixture f_;
  util::SupportState support_;
};

TEST_F(BoxWhiskerNote, ConfidenceLevelAndSamplesAtTheGivenPlace) {
  f_.settings.btext_x = 0.2;
  f_.settings.btext_y = 0.5;
  ASSERT_EQ(note(), 0);
  EXPECT_EQ(stream(f_.rq),
            (V{"1207", "1201 2", "1001 1 1 1 1", "1008", "1002 1 1 1 211 0 1 1", "1013",
               "802 V 0 0 0.2 0.5 0 'CONFDNCE LVL = 0.950\r# OF SAMPLES =  2000 '", "1201 1",
               "1002 0 0 0 0 0 0 0"}));
}

TEST_F(BoxWhiskerNote, PlacedAutomaticallyOrFromPlotCoordinates) {
  struct Case {
    const char* name;
    double x, y;
    bool hash, whiskers;
    int result;
    std::string text;  // the 802 request, or "" when none is sent
  };
  // Automatic: the plot's corners (0, 0) and (1, 1) in view coordinates (the stand-in transforms
  // nothing): a third of the way across, 5 character heights (0.02) below the top.
  const Case kCases[] = {
      {"automatic", -9999, -9999, false, true, 0,
       "802 V 0 0 0.33 0.9 0 'BOX CONF INT = 0.950\r# OF SAMPLES =  2000 '"},
      {"plot coordinates", 0.25, 0.75, true, false, 0,
       "802 V 0 0 0.25 0.75 0 'CONFDNCE LVL = 0.950\r# OF SAMPLES =  2000 '"},
      {"outside the view region", 1.2, 0.5, false, false, -44, ""},
  };
  for (const Case& c : kCases) {
    DrawFixture f(2);
    f.settings.bxw_colour[0] = 1;
    f.settings.btext_count = 2;
    f.settings.btext_attr = "1/1/1/SW/211/0/L";
    f.settings.btext_x = c.x;
    f.settings.btext_y = c.y;
    f.settings.btext_hash = c.hash;
    f.settings.bxw_print = c.whiskers;
    f.rq.attribute_values.reals = {0.01f, 0.02f};
    f.rq.system_bounds['M'] = {0, 0, 1, 1};
    util::SupportState support;
    EXPECT_EQ(BXW_NOTE(f.pen, f.view(kSkillScore), support), c.result) << c.name;
    const V texts = of_code(f.rq, graphics::kText);
    EXPECT_EQ(texts.empty() ? "" : texts[0], c.text) << c.name;
    EXPECT_EQ(of_code(f.rq, graphics::kTransform).size(), c.hash || c.x < 0 ? 1u : 0u) << c.name;
    EXPECT_EQ(f.rq.codes().back(), graphics::kSetTextAttributes) << c.name;  // restored
  }
}

TEST_F(BoxWhiskerNote, NothingWithoutAnAnnotationColour) {
  f_.settings.btext_count = 0;
  EXPECT_EQ(note(), 0);
  EXPECT_TRUE(f_.rq.calls.empty());
  f_.settings.btext_count = 2;
  f_.settings.bxw_colour[0] = 0;  // no box-whisker objects wanted
  EXPECT_EQ(note(), 0);
  EXPECT_TRUE(f_.rq.calls.empty());
}

}  // namespace
}  // namespace kor::plot::draw
