// The summary diagrams through the recording stand-in: the Taylor frame and its layout, polylines
// cut at a region's edge, and where the background, the reference point, the markers and the
// labels of a Taylor diagram, a performance diagram and the intervals of an attribute diagram
// stand, checked against the diagrams' geometry (polar coordinates, the CSI and bias formulas).
#include "plot/draw/summary_draw.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "graphics/request_codes.h"
#include "plot/kinds.h"
#include "tests/plot/draw/draw_fixture.h"

namespace kor::plot::draw {
namespace {

using kor::testing::RecordedRequest;
using testing::DrawFixture;

TEST(TaylorFrame, RadiusStepAndHalfCircle) {
  // The radius is the least whole number of steps at or above 1.1 times the largest ratio (at
  // least 1.1): 1.1 -> 1.25, 1.43 -> 1.5, 2.2 -> 2.5 (step 0.5), 5.5 -> 6 (step 1), 22 -> 24
  // (a round step of 3).
  struct Case {
    double largest, correlation;
    double radius, step;
    bool half;
  };
  constexpr Case kCases[] = {
      {0.9, 0.8, 1.25, 0.25, false}, {1.3, 0.8, 1.5, 0.25, false}, {2.0, 0.5, 2.5, 0.5, false},
      {5.0, 0.5, 6.0, 1.0, false},   {20, 0.1, 24, 3, false},      {0.9, -0.2, 1.25, 0.25, true},
  };
  for (const Case& c : kCases) {
    DiagramResults d;
    d.taylor[0] = metrics::TaylorStatistics{100, c.largest, 1.0, c.correlation, 0.5};
    d.taylor[1] = metrics::TaylorStatistics{100, 0.5, 1.0, 0.9, 0.5};
    const TaylorFrame f = taylor_frame(d);
    EXPECT_DOUBLE_EQ(f.radius, c.radius) << c.largest;
    EXPECT_DOUBLE_EQ(f.step, c.step) << c.largest;
    EXPECT_EQ(f.half, c.half) << c.largest;
    // The layout's ranges hold the whole circle at equal scales in x and y.
    PlotLayout l;
    const double aspect = taylor_layout(f, l);
    EXPECT_NEAR(aspect * (l.x.stop - l.x.start), l.y.stop - l.y.start, 1e-12) << c.largest;
    EXPECT_GT(l.x.stop, f.radius) << c.largest;
    EXPECT_LT(l.y.start, 0.0) << c.largest;
    EXPECT_EQ(l.x.start < -f.radius, c.half) << c.largest;
    EXPECT_DOUBLE_EQ(l.x.labels[l.x.label_count - 1], f.radius) << c.largest;
  }
  EXPECT_DOUBLE_EQ(taylor_frame(DiagramResults{}).radius, 1.25);  // the reference alone
}

TEST(ClipRuns, EndsOnTheEdge) {
  auto disc = [](const XY& p) { return std::hypot(p.x, p.y) <= 1; };
  // A chord at height 0.5 through three points: one run from -sqrt(3)/2 to +sqrt(3)/2.
  const auto chord = clip_runs({{-2, 0.5}, {0, 0.5}, {2, 0.5}}, disc);
  ASSERT_EQ(chord.size(), 1u);
  ASSERT_EQ(chord[0].size(), 3u);
  EXPECT_NEAR(chord[0].front().x, -std::sqrt(0.75), 1e-12);
  EXPECT_NEAR(chord[0].back().x, std::sqrt(0.75), 1e-12);
  // Out, in, out, in: two runs; a lone point inside makes no run.
  const auto two = clip_runs({{-2, 0}, {-0.5, 0}, {0, 2}, {0.5, 0}, {2, 0}}, disc);
  EXPECT_EQ(two.size(), 2u);
  EXPECT_TRUE(clip_runs({{0, 0}}, disc).empty());
  EXPECT_TRUE(clip_runs({{2, 2}, {3, 3}}, disc).empty());
}

// A diagram on the stand-in: a page of 700 x 700, characters of 0.02 x 0.04 graph units.
struct Diagram {
  explicit Diagram(int traces) : f(traces) {
    f.rq.system_bounds['S'] = {0, 0, 700, 700};
    f.rq.attribute_values.reals = {0.01f, 0.02f};
    f.rq.transform = [](char, char, std::span<float> x, std::span<float> y) {
      for (float& v : x) v *= 0.02f;
      for (float& v : y) v *= 0.04f;
    };
  }
  PlotView view(int type) {
    PlotView v = f.view(type);
    v.diagrams = &d;
    v.keys = summary_keys(type);
    return v;
  }
  // The polylines drawn in graph coordinates in colour `colour` (the colour set before them).
  std::vector<RecordedRequest> polylines_in(int colour) const {
    std::vector<RecordedRequest> out;
    int current = 1;
    for (const RecordedRequest& r : f.rq.calls) {
      if (r.code == graphics::kSetColour) current = r.ints[0];
      if (r.code == graphics::kPolyline && r.system == 'M' && current == colour) out.push_back(r);
    }
    return out;
  }
  std::set<std::string> texts() const {
    std::set<std::string> out;
    for (const RecordedRequest& r : f.rq.calls) {
      if (r.code == graphics::kText) out.insert(r.texts[0]);
    }
    return out;
  }
  // The first text `t` drawn (at or right of `x_from`).
  const RecordedRequest* text(const std::string& t, float x_from = -1e30f) const {
    for (const RecordedRequest& r : f.rq.calls) {
      if (r.code == graphics::kText && r.texts[0] == t && r.reals[0] >= x_from) return &r;
    }
    return nullptr;
  }
  DrawFixture f;
  DiagramResults d;
};

TEST(TaylorDiagram, ReferenceMarkersCirclesAndScales) {
  Diagram g(2);
  g.f.layout.trace_labels = {"A", "B"};
  // Trace 1: ratio 0.9 at correlation 0.8; trace 2: ratio 1.2 at -0.5 (the half circle).
  g.d.taylor[0] = metrics::TaylorStatistics{100, 0.9, 1.0, 0.8, 0.6};
  g.d.taylor[1] = metrics::TaylorStatistics{100, 1.2, 1.0, -0.5, 1.9};
  const TaylorFrame frame = taylor_frame(g.d);
  ASSERT_TRUE(frame.half);
  const double R = frame.radius;  // 1.1 x 1.2 = 1.32 -> 1.5
  EXPECT_DOUBLE_EQ(R, 1.5);
  g.f.settings.aspect = taylor_layout(frame, g.f.layout);
  g.f.rq.system_bounds['M'] = {
      static_cast<float>(g.f.layout.x.start), static_cast<float>(g.f.layout.y.start),
      static_cast<float>(g.f.layout.x.stop), static_cast<float>(g.f.layout.y.stop)};
  for (int h = 0; h < 2; ++h) {
    const auto& t = *g.d.taylor[h];
    const double r = t.sd_ratio(), c = t.correlation;
    g.f.set_trace(h, {static_cast<float>(r * c)}, {static_cast<float>(r * std::sqrt(1 - c * c))});
  }
  ASSERT_EQ(draw_summary_diagram(g.f.pen, g.view(kTaylorDiagram)), 0) << g.f.out.str();

  // The markers in the diagram (the legend's are in the view region): the reference at (1, 0),
  // then each trace at its polar place.
  std::vector<const RecordedRequest*> markers;
  for (const RecordedRequest& r : g.f.rq.calls) {
    if (r.code == graphics::kMarkers && r.system == 'M') markers.push_back(&r);
  }
  ASSERT_EQ(markers.size(), 3u);
  EXPECT_EQ(markers[0]->x, std::vector<float>{1.0f});
  EXPECT_EQ(markers[0]->y, std::vector<float>{0.0f});
  EXPECT_NEAR(markers[1]->x[0], 0.9 * 0.8, 1e-6);
  EXPECT_NEAR(markers[1]->y[0], 0.9 * 0.6, 1e-6);
  EXPECT_NEAR(markers[2]->x[0], -0.6, 1e-6);
  EXPECT_NEAR(markers[2]->y[0], 1.2 * std::sqrt(0.75), 1e-6);

  // RMS-difference circles (colour 29): every point at a whole number of steps (0.25) from the
  // reference, on or inside the outer arc, above the axis; the circles reach R + 1 = 2.5.
  const auto circles = g.polylines_in(29);
  ASSERT_FALSE(circles.empty());
  std::set<long> radii;
  for (const RecordedRequest& r : circles) {
    for (std::size_t i = 0; i < r.x.size(); ++i) {
      const double e = std::hypot(r.x[i] - 1.0, r.y[i]);
      EXPECT_NEAR(e / 0.25, std::round(e / 0.25), 1e-4) << r.x[i] << " " << r.y[i];
      EXPECT_LE(std::hypot(r.x[i], r.y[i]), R + 1e-5);
      EXPECT_GE(r.y[i], -1e-6);
      radii.insert(std::lround(e / 0.25));
    }
  }
  EXPECT_EQ(radii, (std::set<long>{1, 2, 3, 4, 5, 6, 7, 8, 9}));

  // The labels: the reference, the scale's name and ends, the circles' values, the traces'
  // numbers; the correlation labels stand outside the arc.
  for (const char* t : {"REF", "CORRELATION", "0.99", "-0.99", "-1", "1", "0.25", "1.5", "2"}) {
    EXPECT_TRUE(g.texts().count(t)) << t;
  }
  const RecordedRequest* scale = g.text("0.95");
  ASSERT_NE(scale, nullptr);
  EXPECT_GT(std::hypot(scale->reals[0], scale->reals[1]), R);
  EXPECT_NEAR(std::atan2(scale->reals[1], scale->reals[0]), std::acos(0.95), 1e-3);
  // The half circle's scale stands along its rays: 0.95 turned by its angle.
  EXPECT_NEAR(scale->reals[2], std::acos(0.95) * 180 / 3.141592653589793, 1e-3);
  // The legend: each trace after its number, and the circles' key.
  EXPECT_TRUE(g.texts().count("1: A"));
  EXPECT_TRUE(g.texts().count("2: B"));
  EXPECT_TRUE(g.texts().count("CENTRED RMS DIFFERENCE"));
}

TEST(TaylorDiagram, QuarterCircleWithoutNegativeCorrelations) {
  Diagram g(1);
  g.d.taylor[0] = metrics::TaylorStatistics{100, 1.0, 1.0, 0.95, 0.3};
  const TaylorFrame frame = taylor_frame(g.d);
  ASSERT_FALSE(frame.half);
  taylor_layout(frame, g.f.layout);
  g.f.rq.system_bounds['M'] = {
      static_cast<float>(g.f.layout.x.start), static_cast<float>(g.f.layout.y.start),
      static_cast<float>(g.f.layout.x.stop), static_cast<float>(g.f.layout.y.stop)};
  g.f.set_trace(0, {0.95f}, {static_cast<float>(std::sqrt(1 - 0.95 * 0.95))});
  ASSERT_EQ(draw_summary_diagram(g.f.pen, g.view(kTaylorDiagram)), 0);
  // No point of any polyline lies left of the ordinate axis (its ticks aside).
  for (const RecordedRequest& r : g.f.rq.calls) {
    if (r.code != graphics::kPolyline || r.system != 'M') continue;
    for (float x : r.x) EXPECT_GE(x, -0.5 * 0.02 - 1e-6);
  }
  EXPECT_FALSE(g.texts().count("-0.5"));
  EXPECT_TRUE(g.texts().count("0"));
  // Horizontal correlation labels on the quarter circle.
  ASSERT_NE(g.text("0.9"), nullptr);
  EXPECT_EQ(g.text("0.9")->reals[2], 0.0f);
  // The graph coordinates are the layout's ranges.
  for (const RecordedRequest& r : g.f.rq.calls) {
    if (r.code != graphics::kSetGraph) continue;
    EXPECT_EQ(r.reals,
              (std::vector<float>{
                  static_cast<float>(g.f.layout.x.start), static_cast<float>(g.f.layout.y.start),
                  static_cast<float>(g.f.layout.x.stop), static_cast<float>(g.f.layout.y.stop)}));
  }
  // The dotted arcs stand at the steps other than 1 (the reference's arc is dashed, in dark
  // grey): 0.25, 0.5, 0.75 and 1.0 (the outer arc is the frame's).
  std::set<long> dotted, dashed;
  for (int colour : {10, 21}) {
    for (const RecordedRequest& r : g.polylines_in(colour)) {
      if (r.x.size() < 100) continue;  // rays and ticks
      (colour == 10 ? dotted : dashed).insert(std::lround(std::hypot(r.x[0], r.y[0]) / 0.25));
    }
  }
  EXPECT_EQ(dotted, (std::set<long>{1, 2, 3}));
  EXPECT_EQ(dashed, (std::set<long>{4}));
  // The correlation rays: two-point dotted lines from the origin to the outer arc, at the angle
  // whose cosine is the correlation: 0.1 to 0.9, 0.95 and 0.99 on the quarter circle.
  const double R = frame.radius;
  std::set<long> ray_correlations;
  for (const RecordedRequest& r : g.polylines_in(10)) {
    if (r.x.size() != 2 || r.x[0] != 0.0f || r.y[0] != 0.0f) continue;
    EXPECT_NEAR(std::hypot(r.x[1], r.y[1]), R, 1e-5);
    ray_correlations.insert(std::lround(100 * r.x[1] / R));
  }
  EXPECT_EQ(ray_correlations, (std::set<long>{10, 20, 30, 40, 50, 60, 70, 80, 90, 95, 99}));
  // The trace's number stands a character to the right of its marker (the other texts "1" are
  // scale labels elsewhere).
  const float marker_y = static_cast<float>(std::sqrt(1 - 0.95 * 0.95));
  int tags = 0;
  for (const RecordedRequest& r : g.f.rq.calls) {
    if (r.code != graphics::kText || r.texts[0] != "1") continue;
    if (std::hypot(r.reals[0] - 0.95, r.reals[1] - marker_y) > 0.1) continue;
    ++tags;
    EXPECT_NEAR(r.reals[0], 0.95 + 0.02, 1e-6);
    EXPECT_NEAR(r.reals[1], marker_y, 1e-6);
  }
  EXPECT_EQ(tags, 1);
}

TEST(TaylorDiagram, ATraceAtTheReferenceKeepsItsMarkerAndNumber) {
  // Characters of 0.02 x 0.04: the REF label goes 0.048 above the reference unless a marker is
  // there, and a marker on the reference dot gets the dot drawn small after it.
  struct Case {
    const char* name;
    float x, y;      // the trace's point
    bool ref_above;  // REF centred above the reference
    bool small_dot;  // the dot small, after the trace's markers
  };
  constexpr Case kCases[] = {
      {"far from the reference", 0.72f, 0.54f, true, false},
      {"just above the reference", 1.0f, 0.046f, false, false},
      {"on the reference", 1.005f, 0.01f, false, true},
  };
  for (const Case& c : kCases) {
    Diagram g(1);
    g.d.taylor[0] =
        metrics::TaylorStatistics{100, std::hypot(c.x, c.y), 1.0, c.x / std::hypot(c.x, c.y), 0.1};
    taylor_layout(taylor_frame(g.d), g.f.layout);
    g.f.rq.system_bounds['M'] = {
        static_cast<float>(g.f.layout.x.start), static_cast<float>(g.f.layout.y.start),
        static_cast<float>(g.f.layout.x.stop), static_cast<float>(g.f.layout.y.stop)};
    g.f.set_trace(0, {c.x}, {c.y});
    ASSERT_EQ(draw_summary_diagram(g.f.pen, g.view(kTaylorDiagram)), 0) << c.name;
    const RecordedRequest* ref = g.text("REF");
    ASSERT_NE(ref, nullptr) << c.name;
    EXPECT_EQ(ref->reals[0] == 1.0f && std::fabs(ref->reals[1] - 0.048f) < 1e-6, c.ref_above)
        << c.name;
    // The label's box (three characters and a fifth of one on each side, 1.2 high) in its
    // justification, the last one set before it, leaves the marker's box free.
    int justification = kCentred;
    for (const RecordedRequest* r = g.f.rq.calls.data(); r < ref; ++r) {
      if (r->code == graphics::kSetTextAttributes) justification = r->ints[5];
    }
    const float w = 3 * 0.02f, x0 = ref->reals[0];
    const float left = justification == kLeft ? x0 : justification == kRight ? x0 - w : x0 - w / 2;
    const float right = left + w;
    const bool covered = c.x > left - 0.65f * 0.02f && c.x < right + 0.65f * 0.02f &&
                         std::fabs(c.y - ref->reals[1]) < (0.6f + 0.45f) * 0.04f;
    EXPECT_FALSE(covered) << c.name << " REF at " << ref->reals[0] << " " << ref->reals[1];
    // The trace's number stands beside, above or below its marker (the scale's "1" is elsewhere).
    int tags = 0;
    for (const RecordedRequest& r : g.f.rq.calls) {
      const float dx = std::fabs(r.reals.empty() ? 1 : r.reals[0] - c.x);
      const float dy = std::fabs(r.reals.size() < 2 ? 1 : r.reals[1] - c.y);
      if (r.code == graphics::kText && r.texts[0] == "1" && std::min(dx, dy) < 1e-6f &&
          std::max(dx, dy) < 0.06f) {
        ++tags;
      }
    }
    EXPECT_EQ(tags, 1) << c.name;
    // The reference dot: its size, and whether it comes after the trace's marker.
    float size = 0;
    bool after_trace = false, trace_seen = false;
    for (const RecordedRequest& r : g.f.rq.calls) {
      if (r.code == graphics::kSetMarkerAttributes) size = r.reals.empty() ? 0 : r.reals[0];
      if (r.code != graphics::kMarkers || r.system != 'M') continue;
      if (r.x == std::vector<float>{1.0f} && r.y == std::vector<float>{0.0f}) {
        after_trace = trace_seen;
        EXPECT_FLOAT_EQ(size, c.small_dot ? 0.4f : 1.2f) << c.name;
      } else {
        trace_seen = true;
      }
    }
    EXPECT_EQ(after_trace, c.small_dot) << c.name;
  }
}

TEST(PerformanceDiagram, ContoursLinesLabelsAndTotals) {
  Diagram g(1);
  g.f.layout.x.start = g.f.layout.y.start = 0;
  g.f.layout.x.stop = g.f.layout.y.stop = 1;
  g.f.rq.system_bounds['M'] = {0, 0, 1, 1};
  // Two points (the worked table and a quarter of it) and the summed point of a time series.
  PerformanceTrace& pt = g.d.performance[0];
  pt.entries = {{1, ">1", metrics::performance_point(50, 30, 40)},
                {2, ">2", metrics::performance_point(20, 5, 10)}};
  pt.has_total = true;
  pt.total = metrics::performance_point(70, 35, 50);
  g.f.set_trace(0, {0.6f, 0.25f}, {0.75f, 0.5f});
  ASSERT_EQ(draw_summary_diagram(g.f.pen, g.view(kPerformanceDiagram)), 0) << g.f.out.str();

  // The grey solid polylines are the CSI contours: each keeps one index from (c, 1) to (1, c).
  int contours = 0;
  for (const RecordedRequest& r : g.polylines_in(10)) {
    if (r.x.size() < 3) continue;  // the bias lines are two points each
    ++contours;
    const double c = metrics::csi_of(r.x[0], r.y[0]);
    for (std::size_t i = 0; i < r.x.size(); ++i) {
      EXPECT_NEAR(metrics::csi_of(r.x[i], r.y[i]), c, 1e-5) << contours;
    }
    EXPECT_NEAR(r.x.front(), c, 1e-6);
    EXPECT_NEAR(r.y.back(), c, 1e-6);
  }
  EXPECT_EQ(contours, 9);
  // Bias lines run from the origin along POD = b SR.
  int lines = 0;
  for (const RecordedRequest& r : g.polylines_in(10)) {
    if (r.x.size() != 2) continue;
    ++lines;
    EXPECT_EQ(r.x[0], 0.0f);
    EXPECT_EQ(r.y[0], 0.0f);
  }
  EXPECT_EQ(lines, static_cast<int>(performance_biases().size()));
  // A bias above 1 is labelled above the top edge at SR = 1 / b, one below 1 beside the right
  // edge at POD = b.
  const RecordedRequest* two = g.text("2");
  ASSERT_NE(two, nullptr);
  EXPECT_NEAR(two->reals[0], 0.5, 1e-6);
  EXPECT_GT(two->reals[1], 1.0f);
  const RecordedRequest* low = g.text("0.3", 1.0f);
  ASSERT_NE(low, nullptr);
  EXPECT_GT(low->reals[0], 1.0f);
  EXPECT_NEAR(low->reals[1], 0.3, 1e-6);
  // The CSI labels stand on their contours near the right edge.
  const RecordedRequest* half = g.text("0.5");
  ASSERT_NE(half, nullptr);
  EXPECT_NEAR(metrics::csi_of(half->reals[0], half->reals[1]), 0.5, 1e-5);
  EXPECT_LT(half->reals[0], 1.0f);
  // The point labels and the total's filled marker and label.
  EXPECT_TRUE(g.texts().count(">1"));
  EXPECT_TRUE(g.texts().count(">2"));
  EXPECT_TRUE(g.texts().count("ALL"));
  bool total = false;
  for (std::size_t i = 0; i + 2 < g.f.rq.calls.size(); ++i) {
    const RecordedRequest& a = g.f.rq.calls[i];
    if (a.code != graphics::kSetMarkerAttributes || a.ints[0] <= 10) continue;
    const RecordedRequest& m = g.f.rq.calls[i + 1];
    total = m.code == graphics::kMarkers && m.x[0] == 0.5f && m.y[0] == 0.7f;
  }
  EXPECT_TRUE(total);
  EXPECT_TRUE(g.texts().count("CRITICAL SUCCESS INDEX"));
  EXPECT_TRUE(g.texts().count("FREQUENCY BIAS"));
}

TEST(PerformanceDiagram, PointLabelsGiveWayToTheSummedMarker) {
  // A point at (0.5, 0.5) whose label would stand a character to its right, and the summed marker
  // half a line lower and two characters to the right (SR 0.54, POD 0.46): its box (0.6
  // character each way) covers the right-hand place, so the label goes to the left of the point;
  // the summed point's own label stands to the right of its marker.
  Diagram g(1);
  g.f.layout.x.start = g.f.layout.y.start = 0;
  g.f.layout.x.stop = g.f.layout.y.stop = 1;
  g.f.rq.system_bounds['M'] = {0, 0, 1, 1};
  PerformanceTrace& pt = g.d.performance[0];
  pt.entries = {{1, "A", metrics::performance_point(40, 20, 40)}};
  pt.has_total = true;
  pt.total = metrics::performance_point(50, 27, 27 / 0.46);
  g.f.set_trace(0, {0.5f}, {0.5f});
  ASSERT_EQ(draw_summary_diagram(g.f.pen, g.view(kPerformanceDiagram)), 0) << g.f.out.str();
  const RecordedRequest* a = g.text("A");
  ASSERT_NE(a, nullptr);
  EXPECT_NEAR(a->reals[0], 0.5 - 0.02, 1e-6);
  EXPECT_NEAR(a->reals[1], 0.5, 1e-6);
  const RecordedRequest* all = g.text("ALL");
  ASSERT_NE(all, nullptr);
  EXPECT_NEAR(all->reals[0], 0.54 + 0.02, 1e-6);
  EXPECT_NEAR(all->reals[1], 0.46, 1e-6);
}

TEST(ReliabilityIntervals, BarsAtTheBinsSetApart) {
  Diagram g(2);
  g.f.layout.x.start = 0;
  g.f.layout.x.stop = 1;
  g.d.ci_level = 0.95;
  g.d.reliability[0] = {{0.25, 100, 30, metrics::Interval{0.2, 0.4}}, {0.75, 0, 0, {}}};
  g.d.reliability[1] = {{0.25, 50, 20, metrics::Interval{0.3, 0.5}}};
  ASSERT_EQ(draw_reliability_intervals(g.f.pen, g.view(kAttributeDiagram), 2), 0);
  // Trace 1 in its line colour: the bar and its two caps, 0.004 left of the bin (half of 0.008);
  // trace 2 0.004 right; the empty bin has none.
  const auto first = g.polylines_in(1);
  ASSERT_EQ(first.size(), 6u);  // both traces keep line colour 1
  EXPECT_EQ(first[0].x, (std::vector<float>{0.246f, 0.246f}));
  EXPECT_EQ(first[0].y, (std::vector<float>{0.2f, 0.4f}));
  EXPECT_EQ(first[1].y, (std::vector<float>{0.2f, 0.2f}));
  EXPECT_NEAR(first[1].x[1] - first[1].x[0], 0.012, 1e-6);
  EXPECT_EQ(first[3].x, (std::vector<float>{0.254f, 0.254f}));
  EXPECT_EQ(first[3].y, (std::vector<float>{0.3f, 0.5f}));

  // Without a level, or without traces, nothing is drawn.
  Diagram none(2);
  none.d.reliability[0] = g.d.reliability[0];
  ASSERT_EQ(draw_reliability_intervals(none.f.pen, none.view(kAttributeDiagram), 2), 0);
  none.d.ci_level = 0.9;
  ASSERT_EQ(draw_reliability_intervals(none.f.pen, none.view(kAttributeDiagram), 0), 0);
  EXPECT_TRUE(none.f.rq.calls.empty());
}

}  // namespace
}  // namespace kor::plot::draw
