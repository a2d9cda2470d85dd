// Lambert W and the bias-adjusted hit counts.
#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>

#include "metrics/metrics.h"
#include "tests/metrics/metrics_testing.h"

namespace kor::metrics {
namespace {

// W by Newton's method in double precision, from the definition W e^W = z.
double newton_w(double z) {
  double w = std::log1p(z);
  for (int i = 0; i < 60; ++i) w -= (w * std::exp(w) - z) / (std::exp(w) * (1 + w));
  return w;
}

TEST(LambertW, MatchesTheDefinitionToSinglePrecision) {
  // Both sides of the switch of initial values at 0.7385, and far out on either side.
  const float kZ[] = {1e-4f, 0.1f,       0.5f,  0.7385f, 0.7386f, 1.0f,
                      2.0f,  2.7182817f, 10.0f, 100.0f,  1e4f};
  for (float z : kZ) {
    const double want = newton_w(z);
    ASSERT_NEAR(want * std::exp(want), z, 1e-12 * z);
    EXPECT_NEAR(lambert_w(z), want, 2e-6 * want) << "z = " << z;
  }
  // W(e) = 1 and W(1) = 0.5671433 (the omega constant).
  EXPECT_NEAR(lambert_w(2.7182817f), 1.0f, 1e-6f);
  EXPECT_NEAR(lambert_w(1.0f), 0.5671433f, 1e-6f);
  EXPECT_EQ(lambert_w(0.0f), 0.0f);
  EXPECT_EQ(lambert_w(-1.0f), 0.0f);
}

TEST(DhdfHits, WorkedCases) {
  // O - H = 0 makes the power 0: all observed events are hit.
  EXPECT_DOUBLE_EQ(*dhdf_hits(20, 10, 10), 10.0);
  // F = 40, H = 10, O = 20: 20 (1 - 0.5^0.5)
  EXPECT_NEAR(*dhdf_hits(40, 10, 20), 5.857864, 1e-6);
  // Unbiased forecast: (1 - h)^1 leaves the hits unchanged.
  EXPECT_NEAR(*dhdf_hits(20, 8, 20), 8.0, 1e-12);
  EXPECT_FALSE(dhdf_hits(0, 0, 20).has_value());
  EXPECT_FALSE(dhdf_hits(20, 0, 0).has_value());
  EXPECT_FALSE(dhdf_hits(20, 30, 20).has_value());  // more hits than events
}

// Odds ratio of a table with forecast count f, hits h, observed o.
double odds(double n, double f, double h, double o) {
  return (n - f - o + h) * h / ((f - h) * (o - h));
}

TEST(OrbaHits, KeepsTheOddsRatio) {
  // N = 100, F = 30, H = 10, O = 20: R = 3, g = 45, H' = 45 - sqrt(2025 - 600).
  const std::optional<double> h = orba_hits(100, 30, 10, 20);
  ASSERT_TRUE(h.has_value());
  EXPECT_NEAR(*h, 45 - std::sqrt(1425.0), 1e-12);
  EXPECT_NEAR(*h, 7.2508, 1e-4);
  struct C {
    const char* name;
    double n, f, h, o;
  };
  const C kCases[] = {{"R > 1", 100, 30, 10, 20},
                      {"R < 1", 100, 30, 4, 20},
                      {"R well below 1", 1000, 300, 20, 200},
                      {"over-forecast, strong skill", 500, 80, 30, 40}};
  for (const C& c : kCases) {
    const double r = odds(c.n, c.f, c.h, c.o);
    const std::optional<double> adjusted = orba_hits(c.n, c.f, c.h, c.o);
    ASSERT_TRUE(adjusted.has_value()) << c.name;
    EXPECT_NEAR(odds(c.n, c.o, *adjusted, c.o), r, 1e-9 * r) << c.name;
    EXPECT_GT(*adjusted, 0) << c.name;
    EXPECT_LT(*adjusted, c.o) << c.name;
  }
  // R exactly 1: chance hits O^2 / N keep the odds ratio at 1.
  ASSERT_DOUBLE_EQ(odds(40, 20, 10, 20), 1.0);
  EXPECT_DOUBLE_EQ(*orba_hits(40, 20, 10, 20), 10.0);
  EXPECT_DOUBLE_EQ(*orba_hits(100, 30, 0, 20), 0.0);    // no hits
  EXPECT_DOUBLE_EQ(*orba_hits(100, 10, 10, 20), 20.0);  // F = H
  EXPECT_DOUBLE_EQ(*orba_hits(100, 30, 20, 20), 20.0);  // H = O
  EXPECT_FALSE(orba_hits(100, 5, 10, 20).has_value());  // F < H: left alone
}

TEST(DhdaHits, MissesFollowTheExponentialModel) {
  // The model: misses = O exp(-k x false alarms), with k fixed by the original table; the adjusted
  // table has as many false alarms as misses.
  struct C {
    float f, h, o;
  };
  for (const C& c : {C{30, 20, 40}, C{60, 15, 20}, C{10, 5, 40}, C{25, 24, 25.5f}}) {
    const std::optional<float> h = dhda_hits(c.f, c.h, c.o);
    ASSERT_TRUE(h.has_value()) << c.f << " " << c.h << " " << c.o;
    const double k = std::log(static_cast<double>(c.o) / (c.o - c.h)) / (c.f - c.h);
    const double miss = c.o - *h;
    EXPECT_NEAR(miss, c.o * std::exp(-k * miss), 2e-5 * c.o) << c.f << " " << c.h << " " << c.o;
  }
  EXPECT_EQ(*dhda_hits(20, 20, 40), 40.0f);  // F = H, H not 0
  EXPECT_EQ(*dhda_hits(30, 40, 40), 40.0f);  // H = O
  EXPECT_EQ(*dhda_hits(30, 0, 40), 0.0f);
  EXPECT_FALSE(dhda_hits(30, 50, 40).has_value());  // more hits than events
  EXPECT_FALSE(dhda_hits(10, 20, 40).has_value());  // fewer forecasts than hits
}

}  // namespace
}  // namespace kor::metrics
