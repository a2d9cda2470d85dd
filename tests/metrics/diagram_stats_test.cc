// Statistics of the performance and Taylor diagrams and the confidence intervals of the reliability
// and ROC diagrams, checked against contingency tables and pairs worked by hand, against other
// formulas and quadrature, and against published textbook figures.  (The Taylor statistics of
// generated pairs are checked end to end, tests/e2e/kor_summary_e2e_test.cc.)
#include "metrics/diagram_stats.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace kor::metrics {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(PerformancePoint, WorkedTables) {
  // a hits, b false alarms, c misses: F = a + b, H = a, O = a + c.
  struct Case {
    const char* name;
    double a, b, c;
    double sr, pod, csi, bias;
  };
  constexpr Case kCases[] = {
      // 30 / 50, 30 / 40, 30 / (30 + 20 + 10), 50 / 40.
      {"a=30 b=20 c=10", 30, 20, 10, 0.6, 0.75, 0.5, 1.25},
      // Finley's tornado forecasts (28 hits, 72 false alarms, 23 misses): CSI 28/123 = 0.228.
      {"Finley 1884", 28, 72, 23, 0.28, 28.0 / 51, 28.0 / 123, 100.0 / 51},
      {"no hits", 0, 5, 10, 0, 0, 0, 0.5},
      {"perfect", 7, 0, 0, 1, 1, 1, 1},
      // N-weighted counts need not be whole: a quarter of the first table.
      {"weighted", 7.5, 5, 2.5, 0.6, 0.75, 0.5, 1.25},
  };
  for (const Case& c : kCases) {
    const auto p = performance_point(c.a + c.b, c.a, c.a + c.c);
    ASSERT_TRUE(p.has_value()) << c.name;
    EXPECT_NEAR(p->success_ratio, c.sr, 1e-12) << c.name;
    EXPECT_NEAR(p->pod, c.pod, 1e-12) << c.name;
    EXPECT_NEAR(p->csi, c.csi, 1e-12) << c.name;
    EXPECT_NEAR(p->bias, c.bias, 1e-12) << c.name;
    // The background's formulas give the same index and bias from SR and POD.
    if (c.a > 0) {
      EXPECT_NEAR(csi_of(p->success_ratio, p->pod), c.csi, 1e-12) << c.name;
      EXPECT_NEAR(p->pod / p->success_ratio, c.bias, 1e-12) << c.name;
    }
  }
}

TEST(PerformancePoint, UndefinedTables) {
  struct Case {
    const char* name;
    double f, h, o;
  };
  constexpr Case kCases[] = {
      {"no forecasts", 0, 0, 10},
      {"no observed events", 10, 0, 0},
      {"more hits than forecasts", 5, 6, 10},
      {"more hits than events", 10, 6, 5},
      {"negative hits", 10, -1, 10},
      {"not a number", 10, kNaN, 10},
      {"infinite", std::numeric_limits<double>::infinity(), 1, 10},
  };
  for (const Case& c : kCases) EXPECT_FALSE(performance_point(c.f, c.h, c.o)) << c.name;
}

TEST(CsiContour, EndsAndInverse) {
  // A contour runs from (SR = csi, POD = 1) to (SR = 1, POD = csi), and every point on it has
  // that index.
  for (double csi : {0.1, 0.3, 0.5, 0.9}) {
    EXPECT_NEAR(*csi_contour_pod(csi, csi), 1.0, 1e-12) << csi;
    EXPECT_NEAR(*csi_contour_pod(csi, 1.0), csi, 1e-12) << csi;
    for (double sr = csi; sr <= 1.0; sr += 0.05) {
      const auto pod = csi_contour_pod(csi, sr);
      ASSERT_TRUE(pod) << csi << " " << sr;
      EXPECT_NEAR(csi_of(sr, *pod), csi, 1e-12) << csi << " " << sr;
    }
    EXPECT_FALSE(csi_contour_pod(csi, csi * 0.99)) << csi;  // left of the contour's top end
  }
  EXPECT_FALSE(csi_contour_pod(0, 0.5));
  EXPECT_FALSE(csi_contour_pod(1, 1));
  EXPECT_FALSE(csi_contour_pod(0.5, 1.5));  // beyond a success ratio of 1
}

TEST(TaylorStatistics, ThreePairsByHand) {
  // f = 1, 2, 3 and o = 1, 3, 2: both variances 2/3, covariance 1/3, R = 0.5, E'^2 = 2/3.
  const auto t = taylor_statistics(3, 6, 6, 1 + 6 + 6, 14, 14);
  ASSERT_TRUE(t);
  EXPECT_NEAR(t->forecast_sd, std::sqrt(2.0 / 3), 1e-12);
  EXPECT_NEAR(t->correlation, 0.5, 1e-12);
  EXPECT_NEAR(t->centred_rmsd, std::sqrt(2.0 / 3), 1e-12);
}

TEST(TaylorStatistics, UndefinedSums) {
  EXPECT_FALSE(taylor_statistics(0, 0, 0, 0, 0, 0));
  EXPECT_FALSE(taylor_statistics(3, 6, 6, 12, 14, 12));  // o = 2, 2, 2: no observed spread
  EXPECT_FALSE(taylor_statistics(3, 6, 6, 12, 12, 14));  // constant forecast
  EXPECT_FALSE(taylor_statistics(3, kNaN, 6, 12, 14, 14));
  // f = -1e150, 1e150 against o = 0, 2e-160: the deviation ratio 1e310 passes the largest double.
  EXPECT_FALSE(taylor_statistics(2, 0, 2e-160, 2e-10, 2e300, 4e-320));
}

TEST(NormalQuantile, TableValues) {
  // Quantiles of the standard normal distribution to 15 digits (any statistical table).
  struct Case {
    double p, z;
  };
  constexpr Case kCases[] = {
      {0.5, 0.0},
      {0.975, 1.959963984540054},
      {0.95, 1.6448536269514722},
      {0.995, 2.5758293035489004},
      {0.025, -1.959963984540054},
      {0.8413447460685429, 1.0},  // the distribution function at 1
      {1e-10, -6.361340902404056},
  };
  for (const Case& c : kCases) EXPECT_NEAR(*normal_quantile(c.p), c.z, 1e-12) << c.p;
  EXPECT_NEAR(*two_sided_z(0.95), 1.959963984540054, 1e-12);
  EXPECT_NEAR(*two_sided_z(0.9), 1.6448536269514722, 1e-12);
  for (double bad : {0.0, 1.0, -0.5, kNaN}) {
    EXPECT_FALSE(normal_quantile(bad)) << bad;
    EXPECT_FALSE(two_sided_z(bad)) << bad;
  }
}

TEST(WilsonInterval, NewcombeExamples) {
  // Newcombe (1998), Statistics in Medicine 17, 857-872, table I, the score method without
  // continuity correction at 95 %: 81/263 0.2553-0.3662, 15/148 0.0624-0.1605, 0/20 0-0.1611,
  // 1/29 0.0061-0.1718.
  struct Case {
    double events, trials, lower, upper;
  };
  constexpr Case kCases[] = {{81, 263, 0.2553, 0.3662},
                             {15, 148, 0.0624, 0.1605},
                             {0, 20, 0.0, 0.1611},
                             {1, 29, 0.0061, 0.1718}};
  const double z = *two_sided_z(0.95);
  for (const Case& c : kCases) {
    const auto w = wilson_interval(c.events, c.trials, z);
    ASSERT_TRUE(w) << c.events << "/" << c.trials;
    EXPECT_NEAR(w->lower, c.lower, 5e-5) << c.events << "/" << c.trials;
    EXPECT_NEAR(w->upper, c.upper, 5e-5) << c.events << "/" << c.trials;
  }
  // All events: the mirror image of none.
  const auto all = wilson_interval(20, 20, z);
  EXPECT_NEAR(all->lower, 1 - 0.1611, 5e-5);
  EXPECT_DOUBLE_EQ(all->upper, 1.0);
  EXPECT_FALSE(wilson_interval(1, 0, z));
  EXPECT_FALSE(wilson_interval(21, 20, z));
  EXPECT_FALSE(wilson_interval(-1, 20, z));
}

// Hanley and McNeil (1982), Radiology 143, 29-36, table 1: ratings 1 (definitely normal) to 5 of
// 58 normal and 51 abnormal CT images.  Its area is 0.893 with a standard error of 0.032.
constexpr double kNormal[] = {33, 6, 6, 11, 2};
constexpr double kAbnormal[] = {3, 2, 2, 11, 33};

TEST(RocArea, HanleyMcNeilRatingExample) {
  // The ROC points of the thresholds "rating 5", "4 or more", ... "2 or more".
  std::vector<float> x;
  std::vector<double> y;
  double fa = 0, hits = 0;
  for (int k = 4; k >= 1; --k) {
    fa += kNormal[k];
    hits += kAbnormal[k];
    x.push_back(static_cast<float>(fa / 58));
    y.push_back(hits / 51);
  }
  // The Wilcoxon statistic counted pair by pair (a tie counting half) is the trapezoid area.
  double wins = 0;
  for (int i = 0; i < 5; ++i) {
    for (int j = 0; j < 5; ++j) {
      wins += kAbnormal[j] * kNormal[i] * (j > i ? 1.0 : j == i ? 0.5 : 0.0);
    }
  }
  const auto area = trapezoid_roc_area(x, y);
  ASSERT_TRUE(area);
  EXPECT_NEAR(*area, wins / (51 * 58), 1e-7);  // x in single precision
  EXPECT_NEAR(*area, 0.893, 5e-4);
  const auto se = hanley_mcneil_se(*area, 51, 58);
  ASSERT_TRUE(se);
  EXPECT_NEAR(*se, 0.032, 5e-4);
}

TEST(RocArea, ChanceAreaErrorIsTheMannWhitneyNullVariance) {
  // At A = 1/2 the formula gives (n_A + n_N + 1) / (12 n_A n_N), the exact variance of the
  // Mann-Whitney statistic over n_A n_N when the two samples do not differ.
  struct Case {
    double na, nn;
  };
  constexpr Case kCases[] = {{10, 10}, {51, 58}, {3, 200}, {1000, 40}};
  for (const Case& c : kCases) {
    const double exact = (c.na + c.nn + 1) / (12 * c.na * c.nn);
    EXPECT_NEAR(*hanley_mcneil_se(0.5, c.na, c.nn), std::sqrt(exact), 1e-12) << c.na << " " << c.nn;
  }
  EXPECT_DOUBLE_EQ(*hanley_mcneil_se(1.0, 20, 30), 0.0);
  EXPECT_FALSE(hanley_mcneil_se(0.8, 0, 30));
  EXPECT_FALSE(hanley_mcneil_se(1.2, 20, 30));
}

TEST(RocArea, OddsRatioCurveAgainstQuadrature) {
  // Simpson's rule over the curve y = R x / (1 + (R - 1) x).
  for (double r : {0.25, 1.0 + 5e-5, 2.0, 3.0, 40.0, 1000.0}) {
    constexpr int kSteps = 20000;
    double sum = 0;
    for (int i = 0; i <= kSteps; ++i) {
      const double x = static_cast<double>(i) / kSteps;
      const double y = r * x / (1 + (r - 1) * x);
      sum += y * (i == 0 || i == kSteps ? 1 : i % 2 == 1 ? 4 : 2);
    }
    EXPECT_NEAR(*odds_ratio_roc_area(r), sum / (3.0 * kSteps), 1e-9) << r;
  }
  // Close to R = 1, against the closed form worked out with 50 digits (Python's decimal module).
  struct Near {
    double r, area;
  };
  constexpr Near kNear[] = {{1.00005, 0.500008333125006249791674},
                            {0.99995, 0.499991666458327083124993},
                            {1.000002, 0.500000333333000000399999}};
  for (const Near& c : kNear) EXPECT_NEAR(*odds_ratio_roc_area(c.r), c.area, 1e-14) << c.r;
  EXPECT_DOUBLE_EQ(*odds_ratio_roc_area(1.0), 0.5);
  EXPECT_DOUBLE_EQ(*odds_ratio_roc_area(0.0), 0.0);
  EXPECT_FALSE(odds_ratio_roc_area(-1.0));
}

TEST(RocArea, TrapezoidRefusesBadPoints) {
  const std::vector<float> falling{0.5f, 0.2f};
  const std::vector<double> y2{0.6, 0.7};
  EXPECT_FALSE(trapezoid_roc_area(falling, y2));
  const std::vector<float> x1{0.5f};
  const std::vector<double> above{1.5};
  EXPECT_FALSE(trapezoid_roc_area(x1, above));
  EXPECT_FALSE(trapezoid_roc_area(x1, y2));  // lengths differ
  // One point at (0.5, 0.5): the chance diagonal.
  const std::vector<double> half{0.5};
  EXPECT_DOUBLE_EQ(*trapezoid_roc_area(x1, half), 0.5);
}

}  // namespace
}  // namespace kor::metrics
