#include "stats/adjust.h"

#include <cmath>

#include "trace_fixture.h"

namespace kor::stats {
namespace {

class AdjustTest : public TraceTest {
 protected:
  // A fresh copy of trace t's sums for an adjustment to change.
  TraceSums& copy(int t) {
    sums_ = copy_trace_sums(*reader_, t, reader_->traces[t - 1].points, store_);
    return sums_;
  }
  std::vector<double> store_;
  TraceSums sums_;
};

// Trace 1 of fho.trc plot 1: (N, F, H, O) = (100, 30, 10, 20), (100, 20, 10, 10), (100, 40, 10,
// 20), (100, 10, 0, 5), (100, 20, 4, 20).

TEST_F(AdjustTest, BiasModelsRewriteForecastAndHitCounts) {
  const double n = 100;
  auto dhdf = [](double f, double h, double o) { return o * (1 - std::pow((o - h) / o, o / f)); };
  // Odds ratio kept: R = (N - F - O + H) H / ((F - H)(O - H)).
  auto orba = [&](double f, double h, double o) {
    const double r = (n - f - o + h) * h / ((f - h) * (o - h));
    const double g = n / (r - 1) * 0.5 + o;
    return g - std::sqrt(g * g - r * o * o / (r - 1));
  };
  struct Case {
    const char* name;
    int prefix;
    std::vector<double> forecasts, hits;
  };
  const Case kCases[] = {
      {"DHDF", 101, {20, 10, 20, 5, 20}, {dhdf(30, 10, 20), 10, 20 * (1 - std::sqrt(0.5)), 0, 4}},
      // Point 5 has R = 64 x 4 / (16 x 16) = 1: the hits of independence, O x O / N = 4.
      {"ORBA",
       102,
       {20, 10, 20, 5, 20},
       {45 - std::sqrt(1425.0), 10, 95 - std::sqrt(8025.0), 0, 4}},
      {"none", 100, {30, 20, 40, 10, 20}, {10, 10, 10, 0, 4}},
  };
  for (const Case& c : kCases) {
    ASSERT_EQ(load("fho.trc", 1), 0);
    std::string tag;
    EXPECT_EQ(bias_adjustment(copy(1), c.prefix, tag), 0) << c.name;
    EXPECT_EQ(tag, c.prefix == 100 ? "    " : c.name);
    EXPECT_EQ(reader_->sum(1, 2, 1), 30.0) << c.name << ": the reader keeps the file's values";
    for (int p = 1; p <= 5; ++p) {
      EXPECT_NEAR(sums_.at(2, p), c.forecasts[p - 1], 1e-9) << c.name << p;
      EXPECT_NEAR(sums_.at(3, p), c.hits[p - 1], 1e-9) << c.name << p;
      EXPECT_EQ(sums_.at(1, p), 100.0) << c.name << p;
    }
  }
  EXPECT_NEAR(45 - std::sqrt(1425.0), 7.251, 5e-4);  // the worked number
  EXPECT_NEAR(orba(30, 10, 20), 45 - std::sqrt(1425.0), 1e-12);
  EXPECT_NEAR(20 * (1 - std::sqrt(0.5)), 5.858, 5e-4);
}

TEST_F(AdjustTest, OddsRatioOfOneIsTheLimitOfBothBranches) {
  // N = 100, F = 20, O = 20: H = 4 gives R = 1 exactly; H just above and below give R > 1 and R
  // < 1.
  auto adjusted = [&](double h) {
    reader_->sum(1, 2, 5) = 20;
    reader_->sum(1, 3, 5) = h;
    std::string tag;
    EXPECT_EQ(bias_adjustment(copy(1), 102, tag), 0);
    return sums_.at(3, 5);
  };
  ASSERT_EQ(load("fho.trc", 1), 0);
  const double at_one = adjusted(4.0);
  EXPECT_DOUBLE_EQ(at_one, 20.0 * 20.0 / 100.0);
  EXPECT_NEAR(adjusted(4.0 + 1e-6), at_one, 1e-5);
  EXPECT_NEAR(adjusted(4.0 - 1e-6), at_one, 1e-5);
}

TEST_F(AdjustTest, DhdaAndFrequencyMatching) {
  ASSERT_EQ(load("fho.trc", 3), 0);
  std::string tag;
  // Trace 2, depth 5: F' = O, H' = field 5.
  EXPECT_EQ(bias_adjustment(copy(2), 104, tag), 0);
  EXPECT_EQ(tag, "FRQM");
  EXPECT_EQ(sums_.at(2, 1), 20.0);
  EXPECT_EQ(sums_.at(3, 1), 8.0);
  EXPECT_EQ(sums_.at(3, 2), 9.0);
  // Trace 3, depth 6: F' = field 6; point 2 lacks it and stays.
  EXPECT_EQ(bias_adjustment(copy(3), 104, tag), 0);
  EXPECT_EQ(sums_.at(2, 1), 22.0);
  EXPECT_EQ(sums_.at(2, 2), 20.0);
  EXPECT_EQ(sums_.at(3, 2), 10.0);
  // Depth 4 cannot be frequency matched.
  ASSERT_EQ(load("fho.trc", 1), 0);
  EXPECT_EQ(bias_adjustment(copy(1), 104, tag), -46);
  EXPECT_EQ(sums_.at(2, 1), 30.0);
  // dH/dA: F' = O; H = O keeps O; H = 0 gives 0; otherwise O - (F - H) / ln Q x W(z).
  EXPECT_EQ(bias_adjustment(copy(1), 103, tag), 0);
  EXPECT_EQ(tag, "DHDA");
  EXPECT_EQ(sums_.at(3, 2), 10.0);
  EXPECT_EQ(sums_.at(3, 4), 0.0);
  const double q = 20.0 / 10.0, z = std::log(q) * 20.0 / 20.0;
  // W(z) solves W e^W = z.
  double w = 0.5;
  for (int i = 0; i < 50; ++i) w = w - (w * std::exp(w) - z) / (std::exp(w) * (1 + w));
  EXPECT_NEAR(sums_.at(3, 1), 20.0 - 20.0 / std::log(q) * w, 1e-3);
}

TEST_F(AdjustTest, ThresholdLag) {
  struct Case {
    int lag, rc;
    const char* tag;
    std::vector<double> counts;
  };
  const Case kCases[] = {
      {0, 0, "    ", {100, 100, 100, 100, 100}},
      // N at thresholds 3, 4 and 5 from F + O - H at thresholds 1, 2 and 3.
      {2, 0, "TL=2", {100, 100, 40, 20, 50}},
      {1, 0, "TL=1", {100, 40, 20, 50, 15}},
      {4, 0, "TL=4", {100, 100, 100, 100, 40}},
      {9, 0, "TL=9", {100, 100, 100, 100, 100}},
      {10, -48, "    ", {100, 100, 100, 100, 100}},
      {-1, -48, "    ", {100, 100, 100, 100, 100}},
  };
  for (const Case& c : kCases) {
    ASSERT_EQ(load("fho.trc", 1), 0);
    std::string tag;
    EXPECT_EQ(threshold_lag_adjustment(copy(1), c.lag, tag), c.rc) << c.lag;
    EXPECT_EQ(tag, c.tag) << c.lag;
    for (int p = 1; p <= 5; ++p) EXPECT_EQ(sums_.at(1, p), c.counts[p - 1]) << c.lag << p;
  }
  ASSERT_EQ(load("fho.trc", 3), 0);
  std::string tag;
  EXPECT_EQ(threshold_lag_adjustment(copy(2), 1, tag), -49);  // depth 5
}

TEST_F(AdjustTest, ThroughRdtdTrc) {
  struct Case {
    int plot, trace, code, rc;
    const char* label;
  };
  constexpr Case kCases[] = {
      {1, 1, 1041001, -46, ""},
      {3, 2, 1041001, 0, "FRQM_BIAS_SCORE"},
      {1, 1, 1031007, 0, "DHDA_PROB_OF_DET"},
      {1, 1, 1021003, 0, "ORBA_CSI=THRTSC"},
  };
  for (const Case& c : kCases) {
    ASSERT_EQ(load("fho.trc", c.plot), 0);
    EXPECT_EQ(run(c.trace, c.code), c.rc) << c.code;
    if (c.rc == 0) {
      EXPECT_EQ(label(), c.label) << c.code;
    }
  }
  // ORBA threat score H' / (2 O - H').
  const double h1 = 45 - std::sqrt(1425.0), h3 = 95 - std::sqrt(8025.0);
  expect_series(values(), {h1 / (40 - h1), 1.0, h3 / (40 - h3), 0.0, 4.0 / 36}, "ORBA CSI");
}

}  // namespace
}  // namespace kor::stats
