#include "graphics/requests.h"

#include <gtest/gtest.h>

#include <bit>
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

static_assert(std::endian::native == std::endian::little, "the expected words assume x86 order");

// A text word written out by hand: four characters, the first in the lowest byte.
constexpr Word chars(char a, char b, char c, char d) {
  return static_cast<Word>(static_cast<std::uint32_t>(static_cast<unsigned char>(a)) |
                           static_cast<std::uint32_t>(static_cast<unsigned char>(b)) << 8 |
                           static_cast<std::uint32_t>(static_cast<unsigned char>(c)) << 16 |
                           static_cast<std::uint32_t>(static_cast<unsigned char>(d)) << 24);
}
constexpr Word kBlanks = 0x20202020;
// Single-precision bit patterns worked out by hand (sign, exponent, mantissa).
constexpr Word kOne = 0x3f800000;        // 1.0
constexpr Word kHalf = 0x3f000000;       // 0.5
constexpr Word kQuarter = 0x3e800000;    // 0.25
constexpr Word kTwo = 0x40000000;        // 2.0
constexpr Word kMinusTwo = -0x40000000;  // -2.0 = 0xc0000000
constexpr Word kThree = 0x40400000;      // 3.0
constexpr Word kZero = 0;

// Runs `send` against a fake server on a private queue that answers every request with `reply`
// (or with [2, 0]), and returns what the server received.
class RequestTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_GE(queue_.id(), 0);
    link_.queue_id = queue_.id();
    link_.out = &out_;
    link_.reply_wait_ms = 10000;
  }
  void serve(std::vector<Word> reply = {2, 0}) {
    server_ = std::make_unique<FakeServer>(queue_.id(),
                                           [reply](const std::vector<Word>&) { return reply; });
  }
  void serve(FakeServer::Handler handler) {
    server_ = std::make_unique<FakeServer>(queue_.id(), std::move(handler));
  }
  std::vector<std::vector<Word>> requests() {
    server_->stop();
    return server_->requests();
  }
  PrivateQueue queue_;
  LinkState link_;
  std::ostringstream out_;
  std::unique_ptr<FakeServer> server_;
};

TEST_F(RequestTest, FixedLayouts) {
  struct Case {
    const char* name;
    std::function<int(LinkState&)> send;
    std::vector<Word> words;
  };
  const Case kCases[] = {
      {"set_mode", [](LinkState& l) { return set_mode(l, 2); }, {3, 103, 2}},
      {"command 207", [](LinkState& l) { return send_command(l, 207); }, {2, 207}},
      {"command 214", [](LinkState& l) { return send_command(l, 214); }, {2, 214}},
      {"301",
       [](LinkState& l) {
         return send_four_reals(l, 301, {1.0f, 0.5f, 0.25f, -2.0f});
       },
       {6, 301, kOne, kHalf, kQuarter, kMinusTwo}},
      {"602",
       [](LinkState& l) {
         return send_four_reals(l, 602, {0.0f, 0.0f, 1.0f, 1.0f});
       },
       {6, 602, kZero, kZero, kOne, kOne}},
      {"601",
       [](LinkState& l) {
         return set_graph_coordinates(l, {1, 2, 0, 0.5f, 1.0f, 2.0f, 3.0f});
       },
       {9, 601, 1, 2, 0, kHalf, kOne, kTwo, kThree}},
      {"1001",
       [](LinkState& l) {
         return set_line_attributes(l, {3, 0, 2, 1});
       },
       {6, 1001, 3, 0, 2, 1}},
      {"1002",
       [](LinkState& l) {
         return set_text_attributes(l, {21, 2, 1.0f, 1, 0, 2, 3});
       },
       {9, 1002, 21, 2, kOne, 1, 0, 2, 3}},
      {"1005",
       [](LinkState& l) {
         return set_marker_attributes(l, {17, 0, 2.0f, 0.5f});
       },
       {6, 1005, 17, 0, kTwo, kHalf}},
      {"1201", [](LinkState& l) { return set_colour(l, 5); }, {3, 1201, 5}},
      {"1202",
       [](LinkState& l) { return define_colour(l, 5, 255, 128, 0); },
       {6, 1202, 5, 255, 128, 0}},
      {"1204", [](LinkState& l) { return init_colours(l); }, {2, 1204}},
      {"1205",
       [](LinkState& l) { return define_colour_name(l, 7, "sky blue"); },
       {14, 1205, 7, 40, chars('s', 'k', 'y', ' '), chars('b', 'l', 'u', 'e'), kBlanks, kBlanks,
        kBlanks, kBlanks, kBlanks, kBlanks, kBlanks, kBlanks}},
  };
  for (const Case& c : kCases) {
    serve();
    EXPECT_EQ(c.send(link_), 0) << c.name;
    EXPECT_EQ(requests(), std::vector<std::vector<Word>>{c.words}) << c.name;
  }
}

TEST_F(RequestTest, DeviceSelectionPacksBothNames) {
  serve();
  ASSERT_EQ(select_device(link_, "PS", 2, "psc.plt", {11.0f, 8.5f, 0.0f}), 0);
  const auto got = requests();
  ASSERT_EQ(got.size(), 1u);
  std::vector<Word> want = {27,      216, chars('P', 'S', ' ', ' '), kBlanks,
                            kBlanks, 2,   chars('p', 's', 'c', '.'), chars('p', 'l', 't', ' ')};
  want.resize(want.size() + 16, kBlanks);  // 72 characters are 18 words
  want.push_back(0x41300000);              // 11.0
  want.push_back(0x41080000);              // 8.5
  want.push_back(kZero);
  EXPECT_EQ(got[0], want);
}

TEST_F(RequestTest, TextIsPackedTrimmedAndCut) {
  struct Case {
    const char* name;
    std::string text;
    std::vector<Word> text_words;  // empty: nothing is sent
  };
  const Case kCases[] = {
      {"five", "HELLO", {chars('H', 'E', 'L', 'L'), chars('O', ' ', ' ', ' ')}},
      {"four", "ABCD    ", {chars('A', 'B', 'C', 'D')}},
      {"line feed", "A\nB", {chars('A', '\r', 'B', ' ')}},
      {"blank", "     ", {}},
      {"empty", "", {}},
  };
  for (const Case& c : kCases) {
    serve();
    EXPECT_EQ(draw_text(link_, 'v', 0.5f, 0.25f, c.text, 2.0f, 1, -1), 0) << c.name;
    const auto got = requests();
    if (c.text_words.empty()) {
      EXPECT_TRUE(got.empty()) << c.name;
      continue;
    }
    const int e = static_cast<int>(c.text_words.size());
    std::vector<Word> want = {e + 8, 802, 4, kHalf, kQuarter};
    want.insert(want.end(), c.text_words.begin(), c.text_words.end());
    want.insert(want.end(), {kTwo, 1, -1});
    ASSERT_EQ(got.size(), 1u) << c.name;
    EXPECT_EQ(got[0], want) << c.name;
  }
}

TEST_F(RequestTest, TextOf401CharactersSendsTheFirst400) {
  std::string text(400, 'x');
  text += 'Y';
  serve();
  ASSERT_EQ(draw_text(link_, 'M', 0.0f, 0.0f, text, 0.0f, 0, 0), 0);
  const auto got = requests();
  ASSERT_EQ(got.size(), 1u);
  ASSERT_EQ(got[0].size(), 108u);  // 100 text words + 8
  EXPECT_EQ(got[0][0], 108);
  EXPECT_EQ(got[0][2], 9);  // "M"
  for (std::size_t i = 5; i < 105; ++i) EXPECT_EQ(got[0][i], chars('x', 'x', 'x', 'x')) << i;
  EXPECT_EQ(server_->messages().size(), 1u);  // 108 words: one message
}

TEST_F(RequestTest, CoordinateSystemLetters) {
  serve();
  const float x[2] = {0.0f, 1.0f};
  EXPECT_EQ(draw_polyline(link_, 'X', x, x), kBadSystem);
  EXPECT_EQ(draw_text(link_, '?', 0, 0, "T", 0, 0, 0), kBadSystem);
  EXPECT_EQ(transform_points(link_, 'M', 'z', {}, {}), kBadSystem);
  Bounds b;
  EXPECT_EQ(query_bounds(link_, ' ', b), kBadSystem);
  EXPECT_TRUE(requests().empty());
}

TEST_F(RequestTest, PointRequestsAndTheirMinimumCounts) {
  struct Case {
    const char* name;
    int (*send)(LinkState&, char, std::span<const float>, std::span<const float>);
    int code;
    std::size_t points;
    bool sent;
  };
  constexpr Case kCases[] = {
      {"polyline 1", draw_polyline, 801, 1, false}, {"polyline 2", draw_polyline, 801, 2, true},
      {"markers 0", draw_markers, 803, 0, false},   {"markers 1", draw_markers, 803, 1, true},
      {"polygon 2", fill_polygon, 812, 2, false},   {"polygon 3", fill_polygon, 812, 3, true},
  };
  const float xs[3] = {1.0f, 2.0f, 3.0f};
  const float ys[3] = {0.5f, 0.25f, 0.0f};
  const Word xw[3] = {kOne, kTwo, kThree};
  const Word yw[3] = {kHalf, kQuarter, kZero};
  for (const Case& c : kCases) {
    serve();
    EXPECT_EQ(c.send(link_, 'd', std::span(xs, c.points), std::span(ys, c.points)), 0) << c.name;
    const auto got = requests();
    if (!c.sent) {
      EXPECT_TRUE(got.empty()) << c.name;
      continue;
    }
    const Word n = static_cast<Word>(c.points);
    std::vector<Word> want = {2 * n + 4, c.code, 2, n};
    want.insert(want.end(), xw, xw + c.points);
    want.insert(want.end(), yw, yw + c.points);
    EXPECT_EQ(got, std::vector<std::vector<Word>>{want}) << c.name;
  }
}

TEST_F(RequestTest, LongPolylineTravelsInSlicesWithReceipts) {
  // 100 points: 204 words, two messages (128 + 76), one receipt from the server.
  std::vector<float> x(100), y(100);
  for (int i = 0; i < 100; ++i) {
    x[static_cast<std::size_t>(i)] = static_cast<float>(i);
    y[static_cast<std::size_t>(i)] = static_cast<float>(-i);
  }
  serve();
  ASSERT_EQ(draw_polyline(link_, 'M', x, y), 0);
  const auto got = requests();
  ASSERT_EQ(got.size(), 1u);
  ASSERT_EQ(got[0].size(), 204u);
  EXPECT_EQ(got[0][0], 204);
  EXPECT_EQ(got[0][4 + 3], real_word(3.0f));
  EXPECT_EQ(got[0][4 + 100 + 3], real_word(-3.0f));
  EXPECT_EQ(server_->messages().size(), 2u);
  EXPECT_EQ(server_->messages()[1].size(), 76u);
  EXPECT_EQ(server_->receipts_sent(), 1);
}

TEST(RequestLimit, LengthPlusTwoMustStayBelowTheLimit) {
  struct Case {
    std::int64_t length;
    bool refused;
  };
  constexpr Case kCases[] = {{4000126, false}, {4000127, true}, {4000128, true}, {10, false}};
  for (const Case& c : kCases) {
    EXPECT_EQ(exceeds_request_limit(c.length), c.refused) << c.length;
  }
}

TEST_F(RequestTest, OversizedPolylineIsRefusedUnsent) {
  serve();
  // 2n + 4 + 2 >= 4000129 first holds for n = 2000062.
  std::vector<float> v(2000062, 1.0f);
  EXPECT_EQ(draw_polyline(link_, 'M', v, v), kTooLarge);
  EXPECT_EQ(draw_markers(link_, 'M', v, v), kTooLarge);
  EXPECT_TRUE(requests().empty());
}

std::vector<std::string> numbered_labels(int n) {
  std::vector<std::string> labels;
  for (int i = 0; i < n; ++i) labels.push_back("L" + std::to_string(i));
  return labels;
}

TEST_F(RequestTest, AxisLabels) {
  serve();
  const float positions[3] = {1.0f, 2.0f, 3.0f};
  const std::string labels[3] = {"ABCDEFGHIJKL", "short", ""};
  // Declared length 10: labels cut to 10 characters in 3 words.
  ASSERT_EQ(draw_axis_labels(link_, {1, 0.5f}, {4, 3, 2, 1}, positions, labels, 10), 0);
  std::vector<Word> want = {3 * 3 + 3 + 10,
                            604,
                            1,
                            kHalf,
                            4,
                            3,
                            2,
                            1,
                            3,
                            kOne,
                            kTwo,
                            kThree,
                            3,
                            chars('A', 'B', 'C', 'D'),
                            chars('E', 'F', 'G', 'H'),
                            chars('I', 'J', ' ', ' '),
                            chars('s', 'h', 'o', 'r'),
                            chars('t', ' ', ' ', ' '),
                            kBlanks,
                            kBlanks,
                            kBlanks,
                            kBlanks};
  EXPECT_EQ(requests(), std::vector<std::vector<Word>>{want});
}

TEST_F(RequestTest, AxisLabelCountsAndWidths) {
  struct Case {
    int count;
    int label_length;
    int rc;
    int words_per_label;  // 0: nothing sent
  };
  constexpr Case kCases[] = {
      {531, 24, kTooManyLabels, 0},
      {530, 24, 0, 6},
      {530, 80, 0, 6},  // at most 6 words (24 characters)
      {20, 1, 0, 1},
      {20, 0, 0, 1},
      {0, 8, 0, 2},
  };
  for (const Case& c : kCases) {
    serve();
    const std::vector<std::string> labels = numbered_labels(c.count);
    const std::vector<float> positions(static_cast<std::size_t>(c.count), 1.0f);
    EXPECT_EQ(draw_axis_labels(link_, {2, 0.0f}, {0, 0, 0, 0}, positions, labels, c.label_length),
              c.rc)
        << c.count << "/" << c.label_length;
    const auto got = requests();
    if (c.words_per_label == 0) {
      EXPECT_TRUE(got.empty()) << c.count;
      continue;
    }
    ASSERT_EQ(got.size(), 1u) << c.count;
    const std::size_t n = static_cast<std::size_t>(c.count);
    const std::size_t w = static_cast<std::size_t>(c.words_per_label);
    ASSERT_EQ(got[0].size(), n * w + n + 10) << c.count;
    EXPECT_EQ(got[0][8], c.count);
    EXPECT_EQ(got[0][9 + n], c.words_per_label);
    if (n > 0) {
      EXPECT_EQ(got[0][10 + n],
                c.label_length >= 2 ? chars('L', '0', ' ', ' ') : chars('L', ' ', ' ', ' '));
    }
  }
}

TEST_F(RequestTest, AxisTicks) {
  serve();
  const float ticks[2] = {0.5f, 1.0f};
  ASSERT_EQ(draw_axis(link_, {3, 2.0f}, {1, 2, 3, 4, 5}, ticks), 0);
  EXPECT_EQ(requests(),
            (std::vector<std::vector<Word>>{{12, 603, 3, kTwo, 1, 2, 3, 4, 5, 2, kHalf, kOne}}));
}

TEST_F(RequestTest, QueriesUnpackTheirResults) {
  std::vector<Word> reply = {45, 0};
  const std::string name = "light blue-green and a long name";  // 32 characters
  for (int w = 0; w < 20; ++w) {
    std::string four = (static_cast<std::size_t>(4 * w) < name.size())
                           ? name.substr(static_cast<std::size_t>(4 * w), 4)
                           : "";
    four.resize(4, ' ');
    reply.push_back(chars(four[0], four[1], four[2], four[3]));
  }
  reply.insert(reply.end(), {10, 20, 30});
  reply.push_back(chars('#', '1', '2', '3'));
  reply.resize(45, kBlanks);
  serve(reply);
  ColourInfo info;
  ASSERT_EQ(query_colour(link_, 4, 16, 6, info), 0);
  EXPECT_EQ(info.name, "light blue-green");
  EXPECT_EQ(info.red, 10);
  EXPECT_EQ(info.green, 20);
  EXPECT_EQ(info.blue, 30);
  EXPECT_EQ(info.device_name, "#123  ");
  EXPECT_EQ(requests(), (std::vector<std::vector<Word>>{{3, 1206, 4}}));
}

TEST_F(RequestTest, QueryResults) {
  serve([](const std::vector<Word>& r) -> std::vector<Word> {
    switch (r[1]) {
      case 104:
        return {3, 0, 2};
      case 303:
        return {6, 0, kZero, kQuarter, kOne, kHalf};
      case 1007:
        return {6, 0, 1, 2, 3, 4};
      case 1008:
        return {9, 0, 21, 2, kTwo, 1, 0, 2, 3};
      case 1013:
        return {8, 0, 5, 6, kHalf, kQuarter, 7, 8};
      case 1207:
        return {3, 0, 9};
      case 1208:
        return {3, 0, 32};
    }
    return {2, -1};
  });
  int mode = 0;
  EXPECT_EQ(query_mode(link_, mode), 0);
  EXPECT_EQ(mode, 2);
  Bounds b;
  EXPECT_EQ(query_bounds(link_, 'n', b), 0);
  EXPECT_EQ(b.left, 0.0f);
  EXPECT_EQ(b.bottom, 0.25f);
  EXPECT_EQ(b.right, 1.0f);
  EXPECT_EQ(b.top, 0.5f);
  LineAttributes la;
  EXPECT_EQ(query_line_attributes(link_, la), 0);
  EXPECT_EQ(la.type, 1);
  EXPECT_EQ(la.width_flag, 4);
  TextAttributes ta;
  EXPECT_EQ(query_text_attributes(link_, ta), 0);
  EXPECT_EQ(ta.font, 21);
  EXPECT_EQ(ta.size, 2.0f);
  EXPECT_EQ(ta.justification, 3);
  AttributeValues av;
  EXPECT_EQ(query_attribute_values(link_, av), 0);
  EXPECT_EQ(av.first[1], 6);
  EXPECT_EQ(av.reals[1], 0.25f);  // the character height
  EXPECT_EQ(av.last[0], 7);
  int colour = 0, count = 0;
  EXPECT_EQ(query_current_colour(link_, colour), 0);
  EXPECT_EQ(colour, 9);
  EXPECT_EQ(query_colour_count(link_, count), 0);
  EXPECT_EQ(count, 32);
  const auto got = requests();
  ASSERT_EQ(got.size(), 7u);
  EXPECT_EQ(got[1], (std::vector<Word>{3, 303, 3}));  // "N" is system 3
}

TEST_F(RequestTest, FailedQueryLeavesResultsAndTheLinkClean) {
  // A failing server sends a long reply anyway; the client drops it and the next request works.
  serve([](const std::vector<Word>& r) -> std::vector<Word> {
    if (r[1] == 1208) return {3, 0, 16};
    std::vector<Word> long_reply(300, 5);
    long_reply[0] = 300;
    long_reply[1] = 13;
    return long_reply;
  });
  LineAttributes la{9, 9, 9, 9};
  EXPECT_EQ(query_line_attributes(link_, la), 13);
  EXPECT_EQ(la.type, 9);
  int count = 0;
  EXPECT_EQ(query_colour_count(link_, count), 0);
  EXPECT_EQ(count, 16);
  server_->stop();
  EXPECT_EQ(server_->receipts_received(), 2);  // the dropped reply was still receipted
}

// Transformation: the server adds 1 to x and doubles y, and reports `rc` for slices whose first
// x is `fail_at`.
FakeServer::Handler transformer(float fail_at = -1.0f, Word rc = 0) {
  return [=](const std::vector<Word>& r) {
    const int m = r[4];
    std::vector<Word> reply = {2 * m + 2, 0};
    if (m > 0 && word_real(r[5]) == fail_at) return std::vector<Word>{2, rc};
    for (int k = 0; k < m; ++k) reply.push_back(real_word(word_real(r[5 + k]) + 1.0f));
    for (int k = 0; k < m; ++k) reply.push_back(real_word(2.0f * word_real(r[5 + m + k])));
    return reply;
  };
}

TEST_F(RequestTest, TransformInPlace) {
  serve(transformer());
  float x[3] = {0.0f, 1.0f, 2.0f};
  float y[3] = {0.5f, 1.0f, -2.0f};
  ASSERT_EQ(transform_points(link_, 'M', 'v', x, y), 0);
  EXPECT_EQ(x[0], 1.0f);
  EXPECT_EQ(x[2], 3.0f);
  EXPECT_EQ(y[0], 1.0f);
  EXPECT_EQ(y[2], -4.0f);
  EXPECT_EQ(requests(), (std::vector<std::vector<Word>>{
                            {11, 901, 9, 4, 3, kZero, kOne, kTwo, kHalf, kOne, kMinusTwo}}));
  serve(transformer());
  EXPECT_EQ(transform_points(link_, 'M', 'V', {}, {}), 0);
  EXPECT_TRUE(requests().empty());
}

TEST_F(RequestTest, TransformOfTwiceTheSliceAndOneTakesThreeRequests) {
  const std::size_t n = 2 * static_cast<std::size_t>(kTransformSlice) + 1;
  std::vector<float> x(n), y(n, 1.0f);
  for (std::size_t i = 0; i < n; ++i) x[i] = static_cast<float>(i % 1000);
  serve(transformer());
  ASSERT_EQ(transform_points(link_, 'W', 'P', x, y), 0);
  const auto got = requests();
  ASSERT_EQ(got.size(), 3u);
  const std::size_t slice = static_cast<std::size_t>(kTransformSlice);
  const std::size_t counts[3] = {slice, slice, 1};
  for (std::size_t r = 0; r < 3; ++r) {
    EXPECT_EQ(got[r].size(), 2 * counts[r] + 5) << r;
    EXPECT_EQ(got[r][0], static_cast<Word>(2 * counts[r] + 5)) << r;
    EXPECT_EQ(got[r][2], 8) << r;  // "W"
    EXPECT_EQ(got[r][3], 5) << r;  // "P"
    EXPECT_EQ(got[r][4], static_cast<Word>(counts[r])) << r;
  }
  // The last request carries the last point: x = (2 * 1000030) mod 1000 = 60.
  EXPECT_EQ(got[2][5], real_word(60.0f));
  EXPECT_EQ(x[n - 1], 61.0f);
  EXPECT_EQ(y[n - 1], 2.0f);
  EXPECT_EQ(x[0], 1.0f);
}

TEST_F(RequestTest, FailedTransformSliceEndsTheLoop) {
  const std::size_t n = static_cast<std::size_t>(kTransformSlice) + 5;
  std::vector<float> x(n, 0.0f), y(n, 1.0f);
  x[static_cast<std::size_t>(kTransformSlice)] = 7.0f;  // first point of the second slice
  serve(transformer(7.0f, 3));
  EXPECT_EQ(transform_points(link_, 'M', 'V', x, y), 3);
  EXPECT_EQ(x[0], 1.0f);                                          // first slice transformed
  EXPECT_EQ(x[static_cast<std::size_t>(kTransformSlice)], 7.0f);  // second slice as it was
  EXPECT_EQ(requests().size(), 2u);
}

TEST_F(RequestTest, LinkFailureIsReturned) {
  link_.queue_id = kNoLink;
  EXPECT_EQ(set_colour(link_, 1), kNoLinkOpen);
  const float x[2] = {0, 1};
  EXPECT_EQ(draw_polyline(link_, 'M', x, x), kNoLinkOpen);
  link_.queue_id = queue_.id();
  link_.reply_wait_ms = 100;
  serve(std::vector<Word>{});  // a server that never answers
  int mode = 42;
  EXPECT_EQ(query_mode(link_, mode), kLinkFailed);
  EXPECT_EQ(mode, 42);
}

}  // namespace
}  // namespace kor::graphics
