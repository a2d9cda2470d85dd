// The request decoder of the graphics server, without a queue: coordinate systems, attributes and
// colours read back through the server's own queries, and every kind of bad request answered with
// its code while the server goes on.  Expected values are worked out by hand from the page size,
// the view region and the axes set by the requests.
#include "mplt/server.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include "../util/scratch.h"
#include "mplt/codes.h"
#include "requests.h"
#include "util/messages.h"

namespace kor::mplt {
namespace {

using testing::box;
using testing::device;
using testing::points;
using testing::r;
using testing::req;
using testing::text;
using testing::transform;

float f(Word w) { return graphics::word_real(w); }

class ServerTest : public ::testing::Test {
 protected:
  ServerTest() : server_(testing::in_folder(dir_.path())) {}
  // The return code of a request.
  int rc(const std::vector<Word>& request) { return last(request)[1]; }
  std::vector<Word> last(const std::vector<Word>& request) {
    const std::vector<Word> reply = server_.handle(request, 1);
    EXPECT_EQ(reply[0], static_cast<Word>(reply.size()));
    return reply;
  }
  // Transforms one point and returns the reply's two values.
  std::pair<double, double> point(int from, int to, double x, double y) {
    const std::vector<Word> reply = last(transform(from, to, {x}, {y}));
    EXPECT_EQ(reply[1], 0) << from << "->" << to;
    if (reply.size() != 4) return {-1e9, -1e9};
    return {f(reply[2]), f(reply[3])};
  }
  kor::testing::ScratchDir dir_;
  Server server_;
};

TEST_F(ServerTest, CoordinateSystemsFollowTheViewThePlotAreaAndTheAxes) {
  ASSERT_EQ(rc(req(101, {0})), 0);
  ASSERT_EQ(rc(device("GF", 2, "c.gif", 700, 700)), 0);
  // View: the lower right quarter of the page (x 350..700, y 0..350 pixels); no margins.
  ASSERT_EQ(rc(req(301, {r(0.5), r(0), r(1), r(0.5)})), 0);
  // Main axes: x linear 0..10, y logarithmic 1..100.
  ASSERT_EQ(rc(req(601, {1, 2, 0, r(0), r(1), r(10), r(100)})), 0);
  struct Case {
    int from, to;
    double x, y, want_x, want_y;
  };
  constexpr double cw = 0.663 * 14, ch = 14;  // character size 1 on a 700-pixel page
  const Case kCases[] = {
      {kM, kS, 5, 10, 525, 175},    // x halfway, y one decade of two
      {kM, kD, 5, 10, 525, 525},    // rows counted from the top
      {kM, kN, 5, 10, 0.75, 0.25},  // {kM, kV...}: halfway across the view
      {kM, kV, 5, 10, 0.5, 0.5},
      {kM, kP, 10, 100, 1, 1},
      {kM, kL, 5, 10, 5, 1},  // log10 on the logarithmic axis
      {kL, kS, 10, 2, 700, 350},
      {kU, kS, 1, 2, 350 + cw, 2 * ch},  // from the plot area's lower-left corner
      {kS, kM, 700, 0, 10, 1},
      {kN, kG, 0.5, 0.25, 0, 10},
  };
  for (const Case& c : kCases) {
    const auto [x, y] = point(c.from, c.to, c.x, c.y);
    EXPECT_NEAR(x, c.want_x, 1e-3 * std::max(1.0, std::fabs(c.want_x))) << c.from << "->" << c.to;
    EXPECT_NEAR(y, c.want_y, 1e-3 * std::max(1.0, std::fabs(c.want_y))) << c.from << "->" << c.to;
  }
  // The alternate pair (y linear -1..1) becomes current: M follows it, G stays on the main pair.
  ASSERT_EQ(rc(req(601, {1, 1, 2, r(0), r(-1), r(10), r(1)})), 0);
  EXPECT_NEAR(point(kM, kS, 5, 0).second, 175, 1e-3);
  EXPECT_NEAR(point(kG, kS, 5, 10).second, 175, 1e-3);
  EXPECT_NEAR(point(kQ, kS, 10, 1).first, 700, 1e-3);
  struct Bounds {
    int system;
    double b[4];
  };
  const Bounds kBounds[] = {
      {kS, {0, 0, 700, 700}}, {kN, {0, 0, 1, 1}},
      {kV, {0.5, 0, 1, 0.5}}, {kP, {0, 0, 1, 1}},
      {kM, {0, -1, 10, 1}},   {kG, {0, 1, 10, 100}},
      {kL, {0, -1, 10, 1}},   {kU, {0, 0, 350 / cw, 350 / ch}},
  };
  for (const Bounds& b : kBounds) {
    const std::vector<Word> reply = last(req(303, {b.system}));
    ASSERT_EQ(reply.size(), 6u) << b.system;
    for (int i = 0; i < 4; ++i) {
      EXPECT_NEAR(f(reply[2 + static_cast<std::size_t>(i)]), b.b[i], 1e-3) << b.system << " " << i;
    }
  }
  // The main pair again: a point at y = -1 is not on its logarithmic axis.
  ASSERT_EQ(rc(req(601, {1, 2, 1, r(0), r(1), r(10), r(100)})), 0);
  EXPECT_EQ(rc(transform(kM, kS, {1}, {-1})), kNotOnLogAxis);
  EXPECT_EQ(rc(transform(kW, kS, {1}, {1})), kSystemUnavailable);
  EXPECT_EQ(rc(transform(kS, kI, {1}, {1})), kSystemUnavailable);
  EXPECT_EQ(rc(transform(13, kS, {1}, {1})), kBadSystem);
}

TEST_F(ServerTest, MarginsAreCharacterUnitsOfTheCurrentTextSize) {
  ASSERT_EQ(rc(device("GF", 2, "m.gif", 700, 700)), 0);
  // Size 1: characters 14 pixels high and 0.663 x 14 wide.  Margins 10, 4, 4, 1.
  ASSERT_EQ(rc(req(602, {r(10), r(4), r(4), r(1)})), 0);
  std::vector<Word> b = last(req(303, {kP}));
  const double cw = 0.663 * 14;
  EXPECT_NEAR(f(b[2]), 10 * cw / 700, 1e-5);
  EXPECT_NEAR(f(b[3]), 56.0 / 700, 1e-5);
  EXPECT_NEAR(f(b[4]), (700 - 4 * cw) / 700, 1e-5);
  EXPECT_NEAR(f(b[5]), 686.0 / 700, 1e-5);
  // Character width and height in view units (1013, third and fourth values); with text size 2
  // they double.
  b = last(req(1013));
  ASSERT_EQ(b.size(), 8u);
  EXPECT_NEAR(f(b[4]), cw / 700, 1e-6);
  EXPECT_NEAR(f(b[5]), 0.02, 1e-6);
  ASSERT_EQ(rc(req(1002, {1, 1, r(2), 1, 0, 0, 0})), 0);
  b = last(req(1013));
  EXPECT_NEAR(f(b[5]), 0.04, 1e-6);
  // Margins that leave no plot area are refused and change nothing.
  EXPECT_EQ(rc(req(602, {r(60), r(0), r(0), r(0)})), kBadRegion);
  b = last(req(303, {kP}));
  EXPECT_NEAR(f(b[3]), 56.0 / 700, 1e-5);
}

TEST_F(ServerTest, AttributesAndColoursReadBackAsSet) {
  ASSERT_EQ(rc(req(1001, {3, 1, 2, 1})), 0);
  EXPECT_EQ(last(req(1007)), (std::vector<Word>{6, 0, 3, 1, 2, 1}));
  // A flag of 0 leaves its value as it is.
  ASSERT_EQ(rc(req(1001, {5, 0, 7, 1})), 0);
  EXPECT_EQ(last(req(1007)), (std::vector<Word>{6, 0, 3, 1, 7, 1}));
  ASSERT_EQ(rc(req(1001, {9, 1, 4, 0})), 0);
  EXPECT_EQ(last(req(1007)), (std::vector<Word>{6, 0, 9, 1, 7, 1}));
  // Marker sizes and widths up to 100 are taken, above refused.
  EXPECT_EQ(rc(req(1005, {3, 1, r(100), r(100)})), 0);
  EXPECT_EQ(rc(req(1005, {3, 1, r(1), r(101)})), kBadMarker);
  EXPECT_EQ(rc(req(1005, {3, 1, r(101), r(1)})), kBadMarker);
  const std::vector<Word> text_attributes = {4, 2, r(1.5), 2, 211, 1, 3};
  ASSERT_EQ(rc(req(1002, {4, 2, r(1.5), 2, 211, 1, 3})), 0);
  std::vector<Word> got = last(req(1008));
  EXPECT_EQ(std::vector<Word>(got.begin() + 2, got.end()), text_attributes);
  ASSERT_EQ(rc(req(1201, {7})), 0);
  EXPECT_EQ(last(req(1207)), (std::vector<Word>{3, 0, 7}));
  EXPECT_EQ(last(req(1208)), (std::vector<Word>{3, 0, kColours}));
  struct Case {
    std::vector<Word> define;
    int colour;
    const char* name;
    int red, green, blue;
    const char* device_name;
  };
  const Case kCases[] = {
      {req(1202, {5, 1, 2, 3}), 5, "", 1, 2, 3, "#010203"},
      {[] {
         std::vector<Word> w = {14, 1205, 6, 40};
         for (Word v : graphics::pack_text("sky blue", 10)) w.push_back(v);
         return w;
       }(),
       6, "SKYBLUE", 70, 160, 230, "#46a0e6"},
      {req(1204), 2, "RED", 255, 0, 0, "#ff0000"},
      {[] {  // the last colour of the table
         std::vector<Word> w = {14, 1205, kColours, 4};
         for (Word v : graphics::pack_text("tealXXXX", 10)) w.push_back(v);
         return w;
       }(),
       kColours, "TEAL", 0, 128, 128, "#008080"},
  };
  for (const Case& c : kCases) {
    ASSERT_EQ(rc(c.define), 0) << c.name;
    const std::vector<Word> q = last(req(1206, {c.colour}));
    ASSERT_EQ(q.size(), 45u) << c.name;
    EXPECT_EQ(graphics::unpack_text(std::span<const Word>(q).subspan(2, 20), 16),
              (std::string(c.name) + std::string(16, ' ')).substr(0, 16));
    EXPECT_EQ(q[22], c.red) << c.name;
    EXPECT_EQ(q[23], c.green) << c.name;
    EXPECT_EQ(q[24], c.blue) << c.name;
    EXPECT_EQ(graphics::unpack_text(std::span<const Word>(q).subspan(25, 20), 7), c.device_name);
  }
}

TEST_F(ServerTest, BadRequestsGetTheirCodeAndTheServerGoesOn) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  struct Case {
    const char* what;
    std::vector<Word> request;
    int code;
  };
  // Before any device: drawing is refused, queries are answered.
  EXPECT_EQ(rc(box(kN, 0, 0, 1, 1)), kNoDevice);
  EXPECT_EQ(rc(req(213)), kNoDevice);
  ASSERT_EQ(rc(device("GF", 2, "ok.gif", 100, 100)), 0);
  const Case kCases[] = {
      {"unknown code", req(999), kUnknownRequest},
      {"length word too large", {5, 1201, 3}, kBadLength},
      {"fixed request too long", {4, 1201, 3, 0}, kBadLength},
      {"count above the words", {8, 801, kN, 5, r(0), r(1), r(0), r(1)}, kBadCount},
      {"negative count", {4, 801, kN, -1}, kBadCount},
      {"words beyond the count", {9, 801, kN, 2, r(0), r(1), r(0), r(1), r(0)}, kBadLength},
      {"NaN coordinate", points(801, kN, {0, nan}, {0, 1}), kNotFinite},
      {"infinite coordinate", points(803, kN, {inf}, {0}), kNotFinite},
      {"colour above the table", req(1201, {65}), kBadColour},
      {"negative colour", req(1201, {-1}), kBadColour},
      {"text without words", {8, 802, kN, r(0.5), r(0.5), r(0), 0, 0}, kNoText},
      {"file in a missing folder", device("GF", 2, "nodir/x.gif", 100, 100), kCannotCreate},
      {"a folder for a file", device("GF", 2, ".", 100, 100), kCannotCreate},
      {"a device for a file", device("GF", 2, "/dev/null", 100, 100), kCannotCreate},
      {"process memory", device("PNG", 2, "../../../../../../proc/self/mem", 100, 100),
       kCannotCreate},
      {"unknown device", device("ZZ", 2, "", 100, 100), kUnknownDevice},
      {"image too small", device("GF", 2, "", 5, 5), kBadSize},
      {"colour type 3", device("GF", 3, "", 100, 100), kBadColourType},
      {"log axis through 0", req(601, {1, 2, 0, r(0), r(0), r(1), r(1)}), kBadGraph},
      {"third integer 3", req(601, {1, 1, 3, r(0), r(0), r(1), r(1)}), kBadGraph},
      {"empty view", req(301, {r(0.5), r(0), r(0.4), r(1)}), kBadRegion},
      {"negative line type", req(1001, {-1, 1, 1, 1}), kBadLine},
      {"font 9", req(1002, {9, 0, r(1), 1, 0, 0, 0}), kBadTextAttributes},
      {"NaN text size", req(1002, {1, 0, r(nan), 1, 0, 0, 0}), kNotFinite},
      {"negative marker type", req(1005, {-1, 0, r(1), r(1)}), kBadMarker},
      {"axis 7", {11, 603, 7, r(0), 1, 0, 1, 0, 0, 1, r(0)}, kBadAxis},
      {"label words 9", {12, 604, 1, r(0), 1, 0, 0, 0, 1, r(0), 9, 0}, kBadAxis},
      {"component 300", req(1202, {3, 300, 0, 0}), kBadComponent},
      {"unknown colour name",
       [] {
         std::vector<Word> w = {14, 1205, 3, 40};
         for (Word v : graphics::pack_text("NO SUCH COLOUR", 10)) w.push_back(v);
         return w;
       }(),
       kUnknownColourName},
      {"mode 5", req(103, {5}), kBadMode},
      {"no request code", {1}, kBadLength},
  };
  for (const Case& c : kCases) {
    const std::vector<Word> reply = server_.handle(c.request, 1);
    EXPECT_EQ(reply, (std::vector<Word>{2, c.code})) << c.what;
    // The server goes on: a query is still answered.
    EXPECT_EQ(last(req(1207)), (std::vector<Word>{3, 0, 1})) << c.what;
  }
  // Request 105 names the last file refused, and why.
  const std::vector<Word> why = last(req(105));
  ASSERT_GE(why.size(), 4u);
  const std::string named = graphics::unpack_text(std::span<const Word>(why).subspan(3), why[2]);
  EXPECT_EQ(named, dir_.path() + "/../../../../../../proc/self/mem");
  EXPECT_GT(why[3 + graphics::text_words(why[2])], 0);  // with the system's reason
  // Nothing was drawn, and no file is made before the page is written; then only the one asked
  // for.
  EXPECT_EQ(server_.page().points(), 0u);
  auto files = [&] {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir_.path())) {
      names.push_back(e.path().filename().string());
    }
    return names;
  };
  EXPECT_EQ(files(), std::vector<std::string>{});
  EXPECT_EQ(rc(req(214)), 0);
  EXPECT_EQ(files(), std::vector<std::string>{"ok.gif"});
}

TEST_F(ServerTest, AnAbsoluteFileNameIsTakenAsItStands) {
  kor::testing::ScratchDir elsewhere;
  const std::string file = elsewhere.path() + "/abs.gif";
  ASSERT_EQ(rc(device("GF", 2, file, 100, 100)), 0);
  ASSERT_EQ(rc(req(214)), 0);
  EXPECT_TRUE(std::filesystem::exists(file));
  EXPECT_TRUE(std::filesystem::is_empty(dir_.path()));
}

TEST_F(ServerTest, PolylinesBreakWhereALogAxisHasNoPoint) {
  ASSERT_EQ(rc(device("PNG", 2, "l.png", 100, 100)), 0);
  ASSERT_EQ(rc(req(601, {1, 2, 0, r(0), r(1), r(4), r(100)})), 0);
  // Points 3 (y = 0) cannot be placed: two runs of two points are left.
  ASSERT_EQ(rc(points(801, kM, {0, 1, 2, 3, 4}, {1, 10, 0, 10, 100})), 0);
  ASSERT_EQ(server_.page().items().size(), 2u);
  EXPECT_EQ(server_.page().items()[0].xy.size(), 4u);
  EXPECT_EQ(server_.page().items()[1].xy.size(), 4u);
  // A polygon through such a point is refused whole.
  EXPECT_EQ(rc(points(812, kM, {0, 1, 2}, {1, 0, 10})), kNotOnLogAxis);
  // Text of blanks draws nothing and succeeds; text is placed with its offsets in characters.
  EXPECT_EQ(rc(text(kN, 0.5, 0.5, "    ")), 0);
  ASSERT_EQ(rc(text(kN, 0.5, 0.5, "AB\rC", 30, 2, -1)), 0);
  const Item& t = server_.page().items().back();
  EXPECT_EQ(t.chars, "AB\rC");
  EXPECT_NEAR(t.xy[0], 50 + 2 * 0.663 * 2, 1e-3);  // characters 2 pixels high on 100 pixels
  EXPECT_NEAR(t.xy[1], 50 - 2, 1e-3);
  EXPECT_NEAR(t.text.angle, 30, 1e-6);
}

TEST_F(ServerTest, AnAbandonedRunLeavesThePageAsTheRunFoundIt) {
  // One run draws a box on its page; the next run (left open by a client that ended) adds to the
  // same page, empties it, or moves to another device, and sets other attributes.
  ASSERT_EQ(rc(req(101, {0})), 0);
  ASSERT_EQ(rc(device("PNG", 2, "a.png", 100, 100)), 0);
  ASSERT_EQ(rc(box(kN, 0.1, 0.1, 0.5, 0.5)), 0);
  ASSERT_EQ(rc(req(102, {0})), 0);
  const std::vector<Item> before = server_.page().items();
  const std::size_t points = server_.page().points();
  const std::vector<std::vector<Word>> kRuns[] = {
      {box(kN, 0.5, 0.5, 0.9, 0.9), req(1201, {3})},
      {req(202), box(kN, 0.5, 0.5, 0.9, 0.9)},
      {device("GF", 2, "b.gif", 50, 80), box(kN, 0, 0, 1, 1), req(202)},
  };
  for (const std::vector<std::vector<Word>>& run : kRuns) {
    ASSERT_EQ(rc(req(101, {0})), 0);
    for (const std::vector<Word>& request : run) EXPECT_EQ(rc(request), 0);
    server_.abandon_run();
    EXPECT_FALSE(server_.run_open());
    EXPECT_EQ(server_.page().items().size(), before.size());
    EXPECT_EQ(server_.page().points(), points);
    EXPECT_EQ(server_.device().path, dir_.path() + "/a.png");
    EXPECT_EQ(server_.page().width(), 100);
    EXPECT_EQ(server_.state().colour(), 1);
  }
  EXPECT_FALSE(std::filesystem::exists(dir_.path() + "/b.gif"));
  // A run left open by a process that has ended is dropped when another process starts one.
  const pid_t ended = fork();
  if (ended == 0) _exit(0);
  waitpid(ended, nullptr, 0);
  ASSERT_EQ(server_.handle(req(101, {0}), ended)[1], 0);
  ASSERT_EQ(server_.handle(box(kN, 0, 0, 1, 1), ended)[1], 0);
  ASSERT_EQ(rc(req(101, {0})), 0);
  EXPECT_EQ(server_.page().items().size(), before.size());
  EXPECT_EQ(server_.run_client(), 1);
}

TEST(ClippingTest, SegmentsAndPolygonsAreCutAtTheRectangle) {
  const Rect r{0, 0, 10, 10};
  struct Case {
    double x0, y0, x1, y1;
    bool kept;
    double cx0, cy0, cx1, cy1;
  };
  constexpr Case kCases[] = {
      {1, 1, 9, 9, true, 1, 1, 9, 9},       // inside
      {-5, 5, 15, 5, true, 0, 5, 10, 5},    // across
      {5, -10, 5, 5, true, 5, 0, 5, 5},     // entering from below
      {-5, -5, -1, 20, false, 0, 0, 0, 0},  // beside
      {-10, 0, 0, -10, false, 0, 0, 0, 0},  // past the corner
  };
  for (const Case& c : kCases) {
    double x0 = c.x0, y0 = c.y0, x1 = c.x1, y1 = c.y1;
    ASSERT_EQ(clip_segment(r, x0, y0, x1, y1), c.kept) << c.x0 << "," << c.y0;
    if (!c.kept) continue;
    EXPECT_DOUBLE_EQ(x0, c.cx0);
    EXPECT_DOUBLE_EQ(y0, c.cy0);
    EXPECT_DOUBLE_EQ(x1, c.cx1);
    EXPECT_DOUBLE_EQ(y1, c.cy1);
  }
  // A triangle over the right edge keeps the part left of x = 10: a quadrilateral.
  const std::vector<double> cut = clip_polygon(r, {5, 2, 15, 2, 5, 8});
  EXPECT_EQ(cut, (std::vector<double>{5, 2, 10, 2, 10, 5, 5, 8}));
  // A polyline far outside the page is clipped to the safe region on entry.
  Page page(100, 100, {255, 255, 255});
  ASSERT_TRUE(page.add_polyline(Item{}, {50, 50, 1e30, 50}));
  ASSERT_EQ(page.items().size(), 1u);
  EXPECT_FLOAT_EQ(page.items()[0].xy[2], 200);
}

}  // namespace
}  // namespace kor::mplt

namespace kor::mplt {
namespace {

TEST(ReturnCodes, TheMessageFileHoldsEveryText) {
  // The client's message routine reads $MOBERR/MPLT.ERR; every code of the server has its line.
  kor::testing::EnvGuard env;
  env.set("MOBERR", std::string(KOR_EXAMPLES) + "/../mplt");
  util::SupportState support;
  for (const CodeText& c : return_codes()) {
    EXPECT_EQ(util::message_line(support, "mplt", c.code, ""),
              "[MPLT " + std::to_string(c.code) + "] " + std::string(c.text))
        << c.code;
  }
  EXPECT_EQ(code_text(-999), "Unknown return code.");
}

}  // namespace
}  // namespace kor::mplt
