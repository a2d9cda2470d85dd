// Phase, direction, S1, object, fractions-skill and paired-exceedance scores, and the percentage
// transforms over a threshold axis.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "metrics/metrics.h"
#include "tests/metrics/metrics_testing.h"

namespace kor::metrics {
namespace {

using testing::kAbsent;
using testing::kM;

constexpr double kTol = 1e-12;

// Record of the given depth with field k = value, the rest 0.
std::vector<double> record(std::initializer_list<std::pair<int, double>> fields, int depth = 28) {
  std::vector<double> f(depth, 0.0);
  for (auto [k, v] : fields) f[k - 1] = v;
  return f;
}

TEST(Phase, RatiosAndSum) {
  const std::vector<double> f =
      record({{1, 2}, {3, 1}, {4, 3}, {5, 6}, {6, 1}, {7, 4}, {9, 5}, {10, 12}, {11, 8}});
  struct C {
    const char* name;
    int i, j;
    bool sum;
    double want;
  };
  const C kCases[] = {{"4/5", 4, 5, false, 0.5},        {"6/7", 6, 7, false, 0.25},
                      {"4/10", 4, 10, false, 0.25},     {"6/11", 6, 11, false, 0.125},
                      {"5/10", 5, 10, false, 0.5},      {"7/11", 7, 11, false, 0.5},
                      {"3 + 9", 3, 9, true, 0.5 + 2.5}, {"zero denominator", 4, 8, false, kM}};
  for (const C& c : kCases) {
    const double got = testing::one(f, [&](const SumsView& in, double m, Output& o) {
      return phase(c.i, c.j, c.sum, in, m, o);
    });
    testing::expect_value(got, c.want, kTol, c.name);
  }
  EXPECT_EQ(testing::one(record({{4, 3}, {5, 6}}),
                         [](const SumsView& in, double m, Output& o) {
                           return phase(4, 5, false, in, m, o);  // N = 0
                         }),
            kM);
  int rc = 0;
  testing::one(
      f, [](const SumsView& in, double m, Output& o) { return phase(4, 29, false, in, m, o); },
      &rc);
  EXPECT_EQ(rc, kBadDepth);
}

TEST(Direction, CompassDegreesFromObservationToForecast) {
  struct C {
    const char* name;
    double f7, f8;
    double want;
  };
  // atan2(F7/N, F8/N) in degrees, 360 for due "north" (F7 = 0, F8 > 0), 0 when both are 0.
  const C kCases[] = {{"east", 2, 0, 90},         {"north", 0, 2, 360},
                      {"south", 0, -2, 180},      {"west", -2, 0, 270},
                      {"north-east", 2, 2, 45},   {"no displacement", 0, 0, 0},
                      {"south-west", -2, -2, 225}};
  for (const C& c : kCases) {
    const double got =
        testing::one(record({{1, 2}, {7, c.f7}, {8, c.f8}}),
                     [](const SumsView& in, double m, Output& o) { return direction(in, m, o); });
    testing::expect_value(got, c.want, 1e-6, c.name);
  }
  EXPECT_EQ(
      testing::one(record({{1, 0}, {7, 1}, {8, 1}}),
                   [](const SumsView& in, double m, Output& o) { return direction(in, m, o); }),
      kM);
}

TEST(S1Score, ThreeOptions) {
  const std::vector<double> f = record({{1, 5}, {8, 30}, {9, 60}, {10, 10}, {11, 40}}, 11);
  const double want[] = {50, 25, 40};
  for (int option = 1; option <= 3; ++option) {
    const double got = testing::one(
        f, [&](const SumsView& in, double m, Output& o) { return s1_score(option, in, 11, m, o); });
    testing::expect_value(got, want[option - 1], kTol, "option " + std::to_string(option));
  }
  EXPECT_EQ(testing::one(
                record({{1, 5}, {8, 0}, {9, 60}, {10, 10}, {11, 40}}, 11),
                [](const SumsView& in, double m, Output& o) { return s1_score(1, in, 11, m, o); }),
            0.0);
  EXPECT_EQ(testing::one(
                record({{1, 5}, {8, 30}, {9, 0}, {10, 10}, {11, 40}}, 11),
                [](const SumsView& in, double m, Output& o) { return s1_score(2, in, 11, m, o); }),
            kM);  // every option needs F9 > 0
  int rc = 0;
  testing::one(
      f, [](const SumsView& in, double m, Output& o) { return s1_score(1, in, 10, m, o); }, &rc);
  EXPECT_EQ(rc, kBadDepth);
  testing::one(
      f, [](const SumsView& in, double m, Output& o) { return s1_score(4, in, 11, m, o); }, &rc);
  EXPECT_EQ(rc, kBadOption);
}

TEST(ObjectAttribute, FiveAttributes) {
  const std::vector<double> f = record(
      {{1, 4}, {8, -4}, {9, 0}, {10, 20}, {11, 8}, {12, 30}, {13, 40}, {15, 10}, {16, 25}}, 17);
  struct C {
    int option;
    double want;
  };
  for (const C& c : {C{1, 3}, C{2, 0.75}, C{3, 270}, C{4, 0.25}, C{5, 0.4}}) {
    int rc = 99;
    const double got = testing::one(
        f,
        [&](const SumsView& in, double m, Output& o) {
          return object_attribute(c.option, in, 17, m, o);
        },
        &rc);
    EXPECT_EQ(rc, kOk);
    testing::expect_value(got, c.want, 1e-6, "option " + std::to_string(c.option));
  }
  // Direction stays in [0, 360): due "north" is 0, not 360.
  EXPECT_EQ(testing::one(record({{1, 4}, {8, 0}, {9, 4}}, 17),
                         [](const SumsView& in, double m, Output& o) {
                           return object_attribute(3, in, 17, m, o);
                         }),
            0.0);
  EXPECT_EQ(testing::one(record({{1, 4}, {12, 30}, {13, 0}}, 17),
                         [](const SumsView& in, double m, Output& o) {
                           return object_attribute(2, in, 17, m, o);
                         }),
            kM);
  int rc = 0;
  testing::one(
      f, [](const SumsView& in, double m, Output& o) { return object_attribute(1, in, 18, m, o); },
      &rc);
  EXPECT_EQ(rc, kBadDepth);
  testing::one(
      f, [](const SumsView& in, double m, Output& o) { return object_attribute(6, in, 17, m, o); },
      &rc);
  EXPECT_EQ(rc, kBadOption);
}

TEST(FractionsSkill, ScoreAndGuards) {
  struct C {
    const char* name;
    std::vector<double> f;
    double want;
  };
  const C kCases[] = {{"FBS 2, sums of squares 3 + 5", {10, 2, 3, 5}, 0.75},
                      {"perfect: FBS 0 is not positive", {10, 0, 3, 5}, kM},
                      {"N = 0", {0, 2, 3, 5}, kM},
                      {"F4 missing", {10, 2, 3, kAbsent}, kM}};
  for (const C& c : kCases) {
    const double got = testing::one(
        c.f, [](const SumsView& in, double m, Output& o) { return fractions_skill(in, 4, m, o); });
    testing::expect_value(got, c.want, kTol, c.name);
  }
  int rc = 0;
  testing::one(
      {10, 2, 3, 5},
      [](const SumsView& in, double m, Output& o) { return fractions_skill(in, 3, m, o); }, &rc);
  EXPECT_EQ(rc, kBadDepth);
}

TEST(PairedExceedance, FourRatios) {
  const std::vector<double> f = {100, 0, 6, 12, 9, 18, 4, 16};
  const double want[] = {0.5, 0.5, 1.5, 0.25};
  for (int option = 1; option <= 4; ++option) {
    const double got = testing::one(f, [&](const SumsView& in, double m, Output& o) {
      return paired_exceedance(option, in, m, o);
    });
    testing::expect_value(got, want[option - 1], kTol, "option " + std::to_string(option));
  }
  EXPECT_EQ(testing::one({100, 0, 6, 0, 9, 18, 4, 16},
                         [](const SumsView& in, double m, Output& o) {
                           return paired_exceedance(1, in, m, o);
                         }),
            kM);
  int rc = 0;
  testing::one(
      f, [](const SumsView& in, double m, Output& o) { return paired_exceedance(5, in, m, o); },
      &rc);
  EXPECT_EQ(rc, kBadOption);
}

struct PercentRun {
  int rc;
  std::vector<double> v;
  float min, max;
};

PercentRun percent(Percent kind, std::vector<double> y, const std::vector<double>& t) {
  PercentRun r{0, std::move(y), 0, 0};
  Output out{r.v.data()};
  r.rc =
      percent_of_total(kind, t.empty() ? nullptr : t.data(), static_cast<int>(r.v.size()), kM, out);
  r.min = out.min;
  r.max = out.max;
  return r;
}

void expect_series(const std::vector<double>& got, const std::vector<double>& want,
                   const char* name) {
  ASSERT_EQ(got.size(), want.size()) << name;
  for (size_t i = 0; i < got.size(); ++i)
    testing::expect_value(got[i], want[i], 1e-12,
                          std::string(name) + " point " + std::to_string(i + 1));
}

TEST(PercentOfTotal, CountsVolumesAndCumulativeForms) {
  // Events at or above thresholds 1, 2, 4, 8: 10, 6, 3, 1.  Counts per band 4, 3, 2, 1.
  const std::vector<double> y = {10, 6, 3, 1}, t = {1, 2, 4, 8};
  expect_series(percent(Percent::kCount, y, {}).v, {40, 30, 20, 10}, "count");
  // Below the threshold: 10 - 6, 10 - 3, 10 - 1, and 10 for the last point, of a total of 10.
  expect_series(percent(Percent::kCountBelow, y, {}).v, {40, 70, 90, 100}, "count below");
  const double v[] = {4 * std::sqrt(2.0), 3 * std::sqrt(8.0), 2 * std::sqrt(32.0),
                      std::sqrt(8.0 * 12)};
  const double total = v[0] + v[1] + v[2] + v[3];
  const PercentRun vol = percent(Percent::kVolume, y, t);
  expect_series(vol.v,
                {100 * v[0] / total, 100 * v[1] / total, 100 * v[2] / total, 100 * v[3] / total},
                "volume");
  EXPECT_EQ(vol.min, static_cast<float>(100 * v[0] / total));
  EXPECT_EQ(vol.max, static_cast<float>(100 * v[2] / total));
  const PercentRun cum = percent(Percent::kCumulativeVolume, y, t);
  expect_series(
      cum.v,
      {100 * v[0] / total, 100 * (v[0] + v[1]) / total, 100 * (v[0] + v[1] + v[2]) / total, 100},
      "cumulative volume");
  EXPECT_FLOAT_EQ(cum.max, 100.0f);
  // One point: t(0) is taken as t(1).
  expect_series(percent(Percent::kVolume, {5}, {3}).v, {100}, "single point");
}

TEST(PercentOfTotal, MissingPointsAndEmptyTotals) {
  // A missing y(2) removes points 1 and 2; the rest share the total 2 + 1.
  expect_series(percent(Percent::kCount, {10, kM, 3, 1}, {}).v, {kM, kM, 200.0 / 3, 100.0 / 3},
                "gap");
  expect_series(percent(Percent::kCount, {0, 0, 0}, {}).v, {kM, kM, kM}, "zero total");
  // A negative threshold product makes that point's volume missing.
  expect_series(percent(Percent::kVolume, {3, 1}, {-1, 2}).v, {kM, 100}, "negative radicand");
  // The first present value anchors the "below" form.
  expect_series(percent(Percent::kCountBelow, {kM, 8, 5, 1}, {}).v, {kM, 300.0 / 8, 700.0 / 8, 100},
                "late start");
  const PercentRun none = percent(Percent::kCount, {kM, kM}, {});
  EXPECT_EQ(none.min, kMinStart);
  EXPECT_EQ(none.max, kMaxStart);
  EXPECT_EQ(percent(Percent::kVolume, {1, 2}, {}).rc, kBadOption);  // thresholds needed
  EXPECT_EQ(percent(static_cast<Percent>(9), {1, 2}, {}).rc, kBadOption);
}

}  // namespace
}  // namespace kor::metrics
