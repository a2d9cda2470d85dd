#include <cmath>

#include "trace_fixture.h"

namespace kor::stats {
namespace {

using SpecialTest = TraceTest;

// Checks a constant-odds-ratio curve: (0, 0), fifteen fine steps of w / 15, coarser steps up to 1,
// then (1, 1); y = R x / (1 + (R - 1) x) between the ends.
void expect_roc(const TraceResult& r, const TraceArrays& a, double ratio, double w) {
  ASSERT_GE(r.points, 18);
  EXPECT_EQ(a.x[0], 0.0f);
  EXPECT_EQ(a.y[0], 0.0);
  for (int i = 1; i <= 15; ++i) EXPECT_NEAR(a.x[i], w / 15 * i, 1e-6) << i;
  for (int i = 1; i < r.points - 1; ++i) {
    EXPECT_GT(a.x[i], a.x[i - 1]) << i;
    EXPECT_LT(a.x[i], 1.0f) << i;
    const double x = a.x[i];
    EXPECT_NEAR(a.y[i], ratio * x / (1 + (ratio - 1) * x), 1e-9) << i;
  }
  // The coarse steps start at (1 - w) / 15 less the fine step and grow towards (1 - w) / 15.
  const double t = (1 - w) / 15;
  EXPECT_NEAR(a.x[16] - a.x[15], t - w / 15, 1e-6);
  EXPECT_GT(a.x[r.points - 2], 1 - t);
  EXPECT_EQ(a.x[r.points - 1], 1.0f);
  EXPECT_EQ(a.y[r.points - 1], 1.0);
  EXPECT_EQ(r.plot_type, 4);
  EXPECT_EQ(r.label_type, 'r');
  EXPECT_EQ(util::rtrim(r.label), "HIT RATE");
  EXPECT_EQ(r.xmin, 0.0f);
  EXPECT_EQ(r.xmax, 1.0f);
  EXPECT_EQ(r.ymin, 0.0f);
  EXPECT_EQ(r.ymax, 1.0f);
}

TEST_F(SpecialTest, RocCurveFromTheOddsRatio) {
  ASSERT_EQ(load("fho.trc", 3), 0);
  // Trace 1: N = 100, F = 30, H = 10, O = 20, so R = 60 x 10 / (20 x 10) = 3 and
  // w = (sqrt 3 - 1) / 3 + 0.05 = 0.294.
  ASSERT_EQ(run(1, 1032), 0);
  const double w = (std::sqrt(3.0) - 1) / 3 + 0.05;
  EXPECT_NEAR(w, 0.294, 5e-4);
  EXPECT_NEAR(arrays_.x[1], 0.0196, 5e-5);
  expect_roc(result_, arrays_, 3.0, w);
  EXPECT_EQ(result_.perfect, M);

  ASSERT_EQ(load("fho.trc", 2), 0);
  EXPECT_EQ(run(4, 1032), -47);  // all missing: no totals, no odds ratio
  ASSERT_EQ(load("fho.trc", 3), 0);
  reader_->sum(1, 3, 1) = 30;  // H = F: no false alarms
  EXPECT_EQ(run(1, 1032), -47);
  EXPECT_EQ(run(1, 1032, 0, 10), -47);
}

TEST_F(SpecialTest, RocFromPbsContingency) {
  ASSERT_EQ(load("prob.trc", 1), 0);
  // Point 1: hits 28.5, misses 5.5, false alarms 4, correct negatives 62.
  // Point 2: hits 17.5, misses 2.5, false alarms 2.5, correct negatives 27.5.
  ASSERT_EQ(run(1, 1362), 0);
  ASSERT_EQ(result_.points, 2);
  EXPECT_NEAR(arrays_.x[0], 4.0 / 66, 1e-7);
  EXPECT_NEAR(arrays_.y[0], 28.5 / 34, 1e-12);
  EXPECT_NEAR(arrays_.x[1], 2.5 / 30, 1e-7);
  EXPECT_NEAR(arrays_.y[1], 17.5 / 20, 1e-12);
  EXPECT_EQ(label(), "HIT RATE");
  EXPECT_EQ(out_, "");

  ASSERT_EQ(run(1, 1363), 0);
  EXPECT_EQ(out_, "  F H O n =  52.50000 46.00000 54.00000 150.0000\n");
  const double ratio = (150 - 52.5 - 54 + 46) * 46 / (6.5 * 8);
  const double w = (std::sqrt(ratio) - 1) / ratio + 0.05;
  expect_roc(result_, arrays_, ratio, static_cast<float>(w));

  ASSERT_EQ(load("prob.trc", 4), 0);
  EXPECT_EQ(run(2, 1362), -61);  // odd depth
  EXPECT_EQ(run(3, 1363), -61);  // no probabilities
  EXPECT_EQ(run(4, 1362), -62);  // no events anywhere
  EXPECT_EQ(result_.points, 0);
}

TEST_F(SpecialTest, SampleBehindRocCurvesAndDiagrams) {
  // Events, non-events and area of each ROC code, and the total count S of a reliability
  // diagram, worked from the same points as the curves above.
  const double x1 = 4.0 / 66, y1 = 28.5 / 34, x2 = 2.5 / 30, y2 = 17.5 / 20;
  struct Case {
    const char* file;
    int plot, trace, code;
    double count, events, non_events, area;
  };
  const Case kCases[] = {
      // R = 3: 3/2 (1 - ln 3 / 2).
      {"fho.trc", 3, 1, 1032, M, 20, 80, 1.5 * (1 - std::log(3.0) / 2)},
      // Two empirical points joined to (0, 0) and (1, 1) by straight lines.
      {"prob.trc", 1, 1, 1362, M, 34 + 20, 66 + 30,
       x1 * y1 / 2 + (x2 - x1) * (y1 + y2) / 2 + (1 - x2) * (y2 + 1) / 2},
      {"prob.trc", 1, 1, 1360, 150, M, M, M},
      {"prob.trc", 1, 1, 1301, M, M, M, M},  // an ordinary score says nothing of its sample
  };
  for (const Case& c : kCases) {
    ASSERT_EQ(load(c.file, c.plot), 0) << c.code;
    ASSERT_EQ(run(c.trace, c.code), 0) << c.code;
    EXPECT_DOUBLE_EQ(result_.sample.count, c.count) << c.code;
    EXPECT_DOUBLE_EQ(result_.sample.events, c.events) << c.code;
    EXPECT_DOUBLE_EQ(result_.sample.non_events, c.non_events) << c.code;
    EXPECT_NEAR(result_.sample.roc_area, c.area, 1e-7) << c.code;
  }
  // The parametric curve of the PBS totals: its area is that of its own odds ratio, which the
  // trapezoid rule through the curve's points approaches.
  ASSERT_EQ(load("prob.trc", 1), 0);
  ASSERT_EQ(run(1, 1363), 0);
  EXPECT_DOUBLE_EQ(result_.sample.events, 54);
  EXPECT_DOUBLE_EQ(result_.sample.non_events, 96);
  double trapezoid = 0;
  for (int i = 1; i < result_.points; ++i) {
    trapezoid += (arrays_.x[i] - arrays_.x[i - 1]) * (arrays_.y[i] + arrays_.y[i - 1]) / 2;
  }
  EXPECT_NEAR(result_.sample.roc_area, trapezoid, 2e-3);
  EXPECT_GT(result_.sample.roc_area, trapezoid);  // chords lie under a concave curve
}

TEST_F(SpecialTest, AttributeDiagram) {
  ASSERT_EQ(load("prob.trc", 1), 0);
  ASSERT_EQ(run(1, 1360), 0);
  // Sums over both points divided by S = 150; y(1) = 1 - (y(2) + y(3) + y(4)).
  expect_series(
      values(),
      {0.4, 40.0 / 150, 30.0 / 150, 20.0 / 150, 7.0 / 150, 11.0 / 150, 18.0 / 150, 18.0 / 150},
      "attribute");
  const float want_x[] = {0, 0.25, 0.75, 1, 2, 2.25, 2.75, 3};
  for (int i = 0; i < 8; ++i) EXPECT_FLOAT_EQ(arrays_.x[i], want_x[i]) << i;
  EXPECT_FLOAT_EQ(result_.xmin, 0.0f);
  EXPECT_FLOAT_EQ(result_.xmax, 1.0f);
  EXPECT_NEAR(result_.ymin, 7.0 / 150, 1e-6);
  EXPECT_NEAR(result_.ymax, 40.0 / 150, 1e-6);
  EXPECT_EQ(result_.plot_type, 24);
  EXPECT_EQ(label(), "ATTRIBUTE_DIAGRAM");
  EXPECT_EQ(util::rtrim(arrays_.x_labels[0]), "a");

  ASSERT_EQ(load("prob.trc", 4), 0);
  EXPECT_EQ(run(2, 1360), -59);  // PBS_WWX of depth 7
  EXPECT_EQ(run(3, 1360), -60);  // FHO
}

TEST_F(SpecialTest, CrpsReliabilityAndCumulativeFrequencies) {
  ASSERT_EQ(load("prob.trc", 2), 0);
  ASSERT_EQ(run(1, 2307), 0);
  EXPECT_EQ(label(), "CRPS_RELI_DIAGRAM");
  ASSERT_EQ(result_.points, 20);
  EXPECT_EQ(arrays_.y[0], 1.0);
  EXPECT_NEAR(arrays_.y[1], 0.05, 1e-12);
  EXPECT_NEAR(arrays_.y[9], 0.06, 1e-12);
  EXPECT_NEAR(arrays_.y[19], 0.25, 1e-12);
  const float levels[] = {0.05f, 0.1f, 0.25f, 0.5f, 0.75f, 0.9f, 0.95f};
  EXPECT_EQ(arrays_.x[0], 0.0f);
  for (int i = 0; i < 7; ++i) EXPECT_FLOAT_EQ(arrays_.x[i + 1], levels[i]) << i;
  for (int i = 9; i <= 21; ++i) EXPECT_FLOAT_EQ(arrays_.x[i - 1], static_cast<float>(M)) << i;
  EXPECT_FLOAT_EQ(result_.xmin, 0.05f);
  EXPECT_FLOAT_EQ(result_.xmax, 0.95f);
  EXPECT_EQ(result_.plot_type, 24);

  ASSERT_EQ(run(1, 9002), 0);
  EXPECT_EQ(label(), "CRPS");
  ASSERT_EQ(result_.points, 19);
  EXPECT_NEAR(arrays_.y[0], 0.05, 1e-12);
  EXPECT_NEAR(arrays_.y[8], 0.06, 1e-12);
  EXPECT_NEAR(arrays_.y[18], 0.25, 1e-12);
  EXPECT_FLOAT_EQ(result_.xmax, 19.0f);
  EXPECT_NEAR(result_.ymin, 0.02, 1e-7);
  EXPECT_NEAR(result_.ymax, 0.25, 1e-7);

  ASSERT_EQ(load("prob.trc", 1), 0);
  EXPECT_EQ(run(1, 2307), -67);
}

TEST_F(SpecialTest, RankHistograms) {
  ASSERT_EQ(load("prob.trc", 3), 0);
  ASSERT_EQ(run(1, 1600), 0);
  EXPECT_EQ(out_, " +04 = Warning:  # of trace pts > 1, all pts combined.\n");
  expect_series(values(), {0.15, 0.2, 0.2, 0.15, 0.3}, "RHNT bins");
  const char* const kRhnt[] = {"01", "02", "03", "04", "05"};
  for (int j = 0; j < 5; ++j) EXPECT_EQ(util::rtrim(arrays_.x_labels[j]), kRhnt[j]);
  EXPECT_EQ(result_.plot_type, 14);
  EXPECT_EQ(result_.label_type, 'c');
  EXPECT_EQ(label(), "PROBABILITY");

  ASSERT_EQ(run(2, 1600), 0);
  const char* const kRhet[] = {"A<E", "02", "03", "04", "A>E"};
  for (int j = 0; j < 5; ++j) EXPECT_EQ(util::rtrim(arrays_.x_labels[j]), kRhet[j]);
  expect_series(values(), {0.1, 0.4, 0.4, 0.0, 0.1}, "RHET bins");

  ASSERT_EQ(run(2, 1605), 0);  // A = 10, B = 80, C = 10 of S = 100
  expect_series(values(), {0.1, 0.8, 0.1, 0.2}, "summary");
  const char* const kSummary[] = {"A < E", "E < A < E", "A > E", "A<E||A>E"};
  for (int j = 0; j < 4; ++j) EXPECT_EQ(util::rtrim(arrays_.x_labels[j]), kSummary[j]);
  EXPECT_FLOAT_EQ(result_.xmax, 4.0f);

  for (int p = 1; p <= 2; ++p) reader_->sum(2, 1, p) = 0.0;
  EXPECT_EQ(run(2, 1605), -52);
}

}  // namespace
}  // namespace kor::stats
