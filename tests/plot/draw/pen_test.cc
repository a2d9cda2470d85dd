// The text attribute routine and the graphics error report.
#include "plot/draw/pen.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "graphics/request_codes.h"
#include "tests/plot/draw/draw_fixture.h"

namespace kor::plot::draw {
namespace {

TEST(TextAttributes, SizeFontWidthAndHardware) {
  struct Case {
    const char* text;
    int result;
    float size;
    int font, width;
    bool hardware;
  };
  const Case kCases[] = {
      {"1/1/1/SW", 0, 1.0f, 1, 1, false},
      {"2.5/3/2/HW", 0, 2.5f, 3, 2, true},
      {"1.2/2.6/-1.6/hw", 0, 1.2f, 3, 0, true},  // nearest integers; a negative width is 0
      {"0/1/1.4/SW", 0, 0.0f, 1, 1, false},      // size 0: the device default
      {"-2/1/1/SW", 0, 0.0f, 1, 1, false},
      {"//7/", 0, 1.0f, 1, 7, false},  // blank items keep their defaults
      {"1/X/1/SW", -12, 0, 0, 0, false},
      {"1/1/wide/SW", -12, 0, 0, 0, false},
  };
  for (const Case& c : kCases) {
    TextSpec spec;
    EXPECT_EQ(parse_text_spec(c.text, spec), c.result) << c.text;
    if (c.result != 0) continue;
    EXPECT_FLOAT_EQ(spec.size, c.size) << c.text;
    EXPECT_EQ(spec.font, c.font) << c.text;
    EXPECT_EQ(spec.width, c.width) << c.text;
    EXPECT_EQ(spec.hardware, c.hardware) << c.text;
  }
}

TEST(TextAttributes, AppliedWithTheirJustificationOrRefused) {
  testing::DrawFixture f(1);
  bool hardware = false;
  EXPECT_EQ(apply_text_attributes(f.pen, "2/4/3/HW", kRight, hardware), 0);
  EXPECT_TRUE(hardware);
  // Font 4, hardware text (2), width 3, no border, no rotation, right-justified, size 2.
  EXPECT_EQ(testing::stream(f.rq), std::vector<std::string>{"1002 4 2 3 0 0 3 2"});
  EXPECT_EQ(apply_text_attributes(f.pen, "2/font/3/SW", kLeft, hardware), -12);
  EXPECT_EQ(f.rq.calls.size(), 1u);  // nothing sent
  f.rq.returns[graphics::kSetTextAttributes] = {-217};
  EXPECT_EQ(apply_text_attributes(f.pen, "1/1/1/SW", kLeft, hardware), -12);
}

TEST(GraphicsError, ReportsTheStatusInEightColumns) {
  std::ostringstream os;
  EXPECT_EQ(graphics_error(-209, os), -14);
  EXPECT_EQ(os.str(), " GRAPHICS PROC ERROR # =     -209\n -14 = ERROR FROM MOBPLT\n");
  std::ostringstream quiet;
  EXPECT_EQ(check(0, quiet), 0);
  EXPECT_EQ(quiet.str(), "");
}

TEST(PenFailure, TheFirstFailureIsReportedOnceAndStopsTheRequestsUntilFinish) {
  testing::DrawFixture f(1);
  f.rq.returns[graphics::kSetColour] = {0, 213};
  f.rq.current_colour = 4;
  const SavedColour saved(f.pen);
  f.pen.send(&Requests::set_colour, 2).send(&Requests::set_colour, 3);
  saved.restore(f.pen);
  // Query, colour 2, the failing colour 3; the restoring of colour 4 is not sent.
  EXPECT_EQ(testing::stream(f.rq), (std::vector<std::string>{"1207", "1201 2", "1201 3"}));
  EXPECT_EQ(f.out.str(), " GRAPHICS PROC ERROR # =      213\n -14 = ERROR FROM MOBPLT\n");
  EXPECT_EQ(f.pen.finish(), -14);
  // The next method starts afresh.
  saved.restore(f.pen);
  EXPECT_EQ(f.pen.finish(), 0);
  EXPECT_EQ(testing::stream(f.rq).back(), "1201 4");
}

}  // namespace
}  // namespace kor::plot::draw
