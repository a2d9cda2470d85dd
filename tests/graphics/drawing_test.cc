// LinkRequests forwards every call of the drawing interface to the request routine of the same
// name: through the interface and through the routine the fake server receives the same words and
// the caller gets the same return code and query results.  The words themselves are checked once,
// in requests_test.cc and link_test.cc.
#include "graphics/drawing.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "fake_server.h"

namespace kor::graphics {
namespace {

using testing::FakeServer;
using testing::PrivateQueue;

// Query results and return codes written out, so that two runs can be compared.
std::string text_of(int rc, std::initializer_list<double> values = {}) {
  std::ostringstream os;
  os << "rc " << rc;
  for (double v : values) os << ' ' << v;
  return os.str();
}

struct Case {
  const char* name;
  std::vector<Word> reply;
  std::function<std::string(DrawingRequests&)> through;
  std::function<std::string(LinkState&)> direct;
};

class DrawingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_GE(queue_.id(), 0);
    link_.queue_id = queue_.id();
    link_.out = &out_;
    link_.reply_wait_ms = 10000;
  }
  // The words the server received and what the call returned.
  std::pair<std::vector<std::vector<Word>>, std::string> run(
      const std::vector<Word>& reply, const std::function<std::string()>& call) {
    FakeServer server(queue_.id(), [reply](const std::vector<Word>&) { return reply; });
    const std::string result = call();
    server.stop();
    return {server.requests(), result};
  }
  void check(const Case& c) {
    LinkRequests requests(link_);
    const auto a = run(c.reply, [&] { return c.through(requests); });
    const auto b = run(c.reply, [&] { return c.direct(link_); });
    ASSERT_FALSE(a.first.empty()) << c.name;
    EXPECT_EQ(a.first, b.first) << c.name;
    EXPECT_EQ(a.second, b.second) << c.name;
  }
  PrivateQueue queue_;
  LinkState link_;
  std::ostringstream out_;
};

const std::vector<Word> kDone = {2, 0};
const std::vector<Word> kRefused = {2, 7};

TEST_F(DrawingTest, CommandsAndSettings) {
  const std::array<float, 4> four = {0.1f, 0.2f, 0.8f, 0.9f};
  const GraphCoordinates graph{1, 2, 0, 0.5f, 1.0f, 2.0f, 3.0f};
  const LineAttributes line{3, 0, 2, 1};
  const TextAttributes text{21, 2, 1.5f, 1, 0, 2, 3};
  const MarkerAttributes marker{17, 0, 2.0f, 0.5f};
  const Case kCases[] = {
      {"end plotting", kDone, [](DrawingRequests& r) { return text_of(r.end_plotting(0)); },
       [](LinkState& l) { return text_of(GR_END(l, 0)); }},
      {"set mode", kRefused, [](DrawingRequests& r) { return text_of(r.set_mode(2)); },
       [](LinkState& l) { return text_of(set_mode(l, 2)); }},
      {"command 214", kDone, [](DrawingRequests& r) { return text_of(r.send_command(214)); },
       [](LinkState& l) { return text_of(send_command(l, 214)); }},
      {"device", kDone,
       [](DrawingRequests& r) {
         return text_of(r.select_device("PS", 2, "a.plt", {11, 8.5f, 0}));
       },
       [](LinkState& l) {
         return text_of(select_device(l, "PS", 2, "a.plt", {11, 8.5f, 0}));
       }},
      {"four reals", kDone,
       [&](DrawingRequests& r) { return text_of(r.send_four_reals(kSetPlotArea, four)); },
       [&](LinkState& l) { return text_of(send_four_reals(l, kSetPlotArea, four)); }},
      {"graph coordinates", kDone,
       [&](DrawingRequests& r) { return text_of(r.set_graph_coordinates(graph)); },
       [&](LinkState& l) { return text_of(set_graph_coordinates(l, graph)); }},
      {"line attributes", kDone,
       [&](DrawingRequests& r) { return text_of(r.set_line_attributes(line)); },
       [&](LinkState& l) { return text_of(set_line_attributes(l, line)); }},
      {"text attributes", kDone,
       [&](DrawingRequests& r) { return text_of(r.set_text_attributes(text)); },
       [&](LinkState& l) { return text_of(set_text_attributes(l, text)); }},
      {"marker attributes", kDone,
       [&](DrawingRequests& r) { return text_of(r.set_marker_attributes(marker)); },
       [&](LinkState& l) { return text_of(set_marker_attributes(l, marker)); }},
      {"colour", kDone, [](DrawingRequests& r) { return text_of(r.set_colour(5)); },
       [](LinkState& l) { return text_of(set_colour(l, 5)); }},
      {"colour by components", kDone,
       [](DrawingRequests& r) { return text_of(r.define_colour(5, 255, 128, 0)); },
       [](LinkState& l) { return text_of(define_colour(l, 5, 255, 128, 0)); }},
      {"colour table", kDone, [](DrawingRequests& r) { return text_of(r.init_colours()); },
       [](LinkState& l) { return text_of(init_colours(l)); }},
      {"colour by name", kDone,
       [](DrawingRequests& r) { return text_of(r.define_colour_name(7, "sky blue")); },
       [](LinkState& l) { return text_of(define_colour_name(l, 7, "sky blue")); }},
  };
  for (const Case& c : kCases) check(c);
}

TEST_F(DrawingTest, AxesPointsAndText) {
  const AxisPlace axis{2, 0.25f};
  const std::vector<float> ticks = {0, 0.5f, 1}, x = {0, 1, 2}, y = {3, 4, 5};
  const std::vector<std::string> labels = {"JAN", "FEBRUARY"};
  const Case kCases[] = {
      {"axis", kDone,
       [&](DrawingRequests& r) {
         return text_of(r.draw_axis(axis, {1, 2, 3, 4, 5}, ticks));
       },
       [&](LinkState& l) {
         return text_of(draw_axis(l, axis, {1, 2, 3, 4, 5}, ticks));
       }},
      {"axis labels", kDone,
       [&](DrawingRequests& r) {
         return text_of(r.draw_axis_labels(axis, {1, 2, 3, 4}, ticks, labels, 6));
       },
       [&](LinkState& l) {
         return text_of(draw_axis_labels(l, axis, {1, 2, 3, 4}, ticks, labels, 6));
       }},
      {"polyline", kRefused,
       [&](DrawingRequests& r) { return text_of(r.draw_polyline('M', x, y)); },
       [&](LinkState& l) { return text_of(draw_polyline(l, 'M', x, y)); }},
      {"markers", kDone, [&](DrawingRequests& r) { return text_of(r.draw_markers('V', x, y)); },
       [&](LinkState& l) { return text_of(draw_markers(l, 'V', x, y)); }},
      {"polygon", kDone, [&](DrawingRequests& r) { return text_of(r.fill_polygon('u', x, y)); },
       [&](LinkState& l) { return text_of(fill_polygon(l, 'u', x, y)); }},
      {"text", kDone,
       [](DrawingRequests& r) { return text_of(r.draw_text('v', 0.5f, 0.25f, "TITLE", 2, 1, -1)); },
       [](LinkState& l) { return text_of(draw_text(l, 'v', 0.5f, 0.25f, "TITLE", 2, 1, -1)); }},
  };
  for (const Case& c : kCases) check(c);
}

TEST_F(DrawingTest, QueriesReturnTheServersReplies) {
  const Word one = real_word(1.0f), half = real_word(0.5f), two = real_word(2.0f);
  std::vector<Word> colour_reply = {45, 0};
  const std::vector<Word> name = pack_text("NAVY", 20), device = pack_text("navy", 20);
  colour_reply.insert(colour_reply.end(), name.begin(), name.end());
  colour_reply.insert(colour_reply.end(), {0, 0, 128});
  colour_reply.insert(colour_reply.end(), device.begin(), device.end());
  // Transformed points: (1, 2) and (0.5, 1) become (2, 1) and (0.5, 0.5).
  const std::vector<Word> moved = {6, 0, two, half, one, half};
  const Case kCases[] = {
      {"mode",
       {3, 0, 5},
       [](DrawingRequests& r) {
         int m = 0;
         const int rc = r.query_mode(m);
         return text_of(rc, {static_cast<double>(m)});
       },
       [](LinkState& l) {
         int m = 0;
         const int rc = query_mode(l, m);
         return text_of(rc, {static_cast<double>(m)});
       }},
      {"bounds",
       {6, 0, half, one, two, two},
       [](DrawingRequests& r) {
         Bounds b;
         const int rc = r.query_bounds('M', b);
         return text_of(rc, {b.left, b.bottom, b.right, b.top});
       },
       [](LinkState& l) {
         Bounds b;
         const int rc = query_bounds(l, 'M', b);
         return text_of(rc, {b.left, b.bottom, b.right, b.top});
       }},
      {"line attributes",
       {6, 0, 1, 2, 3, 4},
       [](DrawingRequests& r) {
         LineAttributes a;
         const int rc = r.query_line_attributes(a);
         return text_of(rc, {1.0 * a.type, 1.0 * a.type_flag, 1.0 * a.width, 1.0 * a.width_flag});
       },
       [](LinkState& l) {
         LineAttributes a;
         const int rc = query_line_attributes(l, a);
         return text_of(rc, {1.0 * a.type, 1.0 * a.type_flag, 1.0 * a.width, 1.0 * a.width_flag});
       }},
      {"text attributes",
       {9, 0, 3, 1, half, 2, 0, 1, 2},
       [](DrawingRequests& r) {
         TextAttributes a;
         const int rc = r.query_text_attributes(a);
         return text_of(rc, {1.0 * a.font, a.size, 1.0 * a.justification});
       },
       [](LinkState& l) {
         TextAttributes a;
         const int rc = query_text_attributes(l, a);
         return text_of(rc, {1.0 * a.font, a.size, 1.0 * a.justification});
       }},
      {"attribute values",
       {8, 0, 1, 2, half, two, 3, 4},
       [](DrawingRequests& r) {
         AttributeValues v;
         const int rc = r.query_attribute_values(v);
         return text_of(rc, {1.0 * v.first[1], v.reals[1], 1.0 * v.last[0]});
       },
       [](LinkState& l) {
         AttributeValues v;
         const int rc = query_attribute_values(l, v);
         return text_of(rc, {1.0 * v.first[1], v.reals[1], 1.0 * v.last[0]});
       }},
      {"current colour",
       {3, 0, 4},
       [](DrawingRequests& r) {
         int c = 0;
         const int rc = r.query_current_colour(c);
         return text_of(rc, {1.0 * c});
       },
       [](LinkState& l) {
         int c = 0;
         const int rc = query_current_colour(l, c);
         return text_of(rc, {1.0 * c});
       }},
      {"colour count",
       {3, 0, 9},
       [](DrawingRequests& r) {
         int c = 0;
         const int rc = r.query_colour_count(c);
         return text_of(rc, {1.0 * c});
       },
       [](LinkState& l) {
         int c = 0;
         const int rc = query_colour_count(l, c);
         return text_of(rc, {1.0 * c});
       }},
      {"colour", colour_reply,
       [](DrawingRequests& r) {
         ColourInfo info;
         const int rc = r.query_colour(3, 8, 6, info);
         return text_of(rc, {1.0 * info.blue}) + info.name + "|" + info.device_name;
       },
       [](LinkState& l) {
         ColourInfo info;
         const int rc = query_colour(l, 3, 8, 6, info);
         return text_of(rc, {1.0 * info.blue}) + info.name + "|" + info.device_name;
       }},
      {"transform", moved,
       [](DrawingRequests& r) {
         std::vector<float> x = {1, 0.5f}, y = {2, 1};
         const int rc = r.transform_points('M', 'V', x, y);
         return text_of(rc, {x[0], x[1], y[0], y[1]});
       },
       [](LinkState& l) {
         std::vector<float> x = {1, 0.5f}, y = {2, 1};
         const int rc = transform_points(l, 'M', 'V', x, y);
         return text_of(rc, {x[0], x[1], y[0], y[1]});
       }},
  };
  for (const Case& c : kCases) check(c);
  // The replies arrived: a forwarding that dropped them would still compare equal to a broken
  // routine, so one result is written out by hand.
  LinkRequests requests(link_);
  const auto got = run({6, 0, half, one, two, two}, [&] {
    Bounds b;
    const int rc = requests.query_bounds('M', b);
    return text_of(rc, {b.left, b.bottom, b.right, b.top});
  });
  EXPECT_EQ(got.second, "rc 0 0.5 1 2 2");
}

}  // namespace
}  // namespace kor::graphics
