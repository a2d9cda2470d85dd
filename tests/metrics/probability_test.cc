// Probability and multi-category scores.  The PBS record P has K = 3 categories (D = 6):
// N = 100; forecast counts c = (50, 30, 20) (F2 = 30, F3 = 20, c1 = N - 50); event counts
// e = (5, 9, 14) in F4..F6; category probabilities p = (0.1, 0.4, 0.8).
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
const std::vector<double> kP = {100, 30, 20, 5, 9, 14};
const float kProb[] = {0.1f, 0.4f, 0.8f, 0.9f};
const double kC[] = {50, 30, 20}, kE[] = {5, 9, 14};

// Brier score case by case: each category contributes e (p - 1)^2 + (c - e) p^2.
double brier_by_cases() {
  double t = 0;
  for (int j = 0; j < 3; ++j) {
    const double p = kProb[j];
    t += kE[j] * (p - 1) * (p - 1) + (kC[j] - kE[j]) * p * p;
  }
  return t / 100;
}

TEST(Brier, ScoreTargetAndDecomposition) {
  EXPECT_NEAR(brier_by_cases(), 0.155, 1e-7);  // hand: (4.5 + 6.6 + 4.4) / 100
  auto brier_run = [](int option, std::vector<double> f, int count) {
    int rc = 99;
    const double v = testing::one(
        f,
        [&](const SumsView& in, double m, Output& o) {
          return brier(option, in, 6, kProb, count, m, o);
        },
        &rc);
    EXPECT_EQ(rc, kOk);
    return v;
  };
  EXPECT_NEAR(brier_run(0, kP, 3), brier_by_cases(), 1e-7);
  EXPECT_NEAR(brier_run(0, kP, 4), brier_by_cases(), 1e-7);  // a longer list is accepted
  // Target: sum (c/N)(p - p^2) = 0.5 x 0.09 + 0.3 x 0.24 + 0.2 x 0.16
  EXPECT_NEAR(brier_run(1, kP, 3), 0.149, 1e-7);
  EXPECT_EQ(brier_run(1, {100, 50, 0, 5, 9, 14}, 3), 0.0);  // category 3 empty
  EXPECT_EQ(brier_run(0, {0, 30, 20, 5, 9, 14}, 3), kM);    // N = 0
  EXPECT_EQ(brier_run(0, {100, 30, 20, 5, kAbsent, 14}, 3), kM);

  // Observed frequencies o = (0.1, 0.3, 0.7): reliability, resolution, uncertainty by hand.
  const double rel = 0.3 * 0.01 + 0.2 * 0.01, obar = 0.28;
  const double res = 0.5 * (0.1 - obar) * (0.1 - obar) + 0.3 * (0.3 - obar) * (0.3 - obar) +
                     0.2 * (0.7 - obar) * (0.7 - obar);
  const double unc = obar * (1 - obar);
  // Murphy's identity BS = REL - RES + UNC ties the decomposition to the score.
  EXPECT_NEAR(rel - res + unc, brier_by_cases(), 1e-7);
  struct C {
    int option;
    double want;
  };
  for (const C& c : {C{1, rel}, C{2, res}, C{3, unc}, C{4, (res - rel) / unc}}) {
    int rc = 99;
    const double got = testing::one(
        kP,
        [&](const SumsView& in, double m, Output& o) {
          return brier_decomposition(c.option, in, 6, kProb, 3, m, o);
        },
        &rc);
    EXPECT_EQ(rc, kOk) << c.option;
    EXPECT_NEAR(got, c.want, 1e-7) << "decomposition option " << c.option;
  }
  // No events at all: uncertainty 0, no skill value.
  EXPECT_EQ(testing::one({100, 30, 20, 0, 0, 0},
                         [](const SumsView& in, double m, Output& o) {
                           return brier_decomposition(4, in, 6, kProb, 3, m, o);
                         }),
            kM);
}

TEST(Brier, ErrorWords) {
  struct C {
    const char* name;
    int (*call)(const SumsView&, double, Output&);
    int want;
  };
  const C kCases[] = {
      {"brier with 2 probabilities for 3 categories",
       [](const SumsView& in, double m, Output& o) { return brier(0, in, 6, kProb, 2, m, o); },
       kBadDepth},
      {"decomposition with 4 probabilities for 3 categories",
       [](const SumsView& in, double m, Output& o) {
         return brier_decomposition(1, in, 6, kProb, 4, m, o);
       },
       kBadDepth},
      {"brier option 2",
       [](const SumsView& in, double m, Output& o) { return brier(2, in, 6, kProb, 3, m, o); },
       kBadOption},
      {"decomposition option 0",
       [](const SumsView& in, double m, Output& o) {
         return brier_decomposition(0, in, 6, kProb, 3, m, o);
       },
       kBadOption},
      {"depth beyond the field dimension",
       [](const SumsView& in, double m, Output& o) { return brier(0, in, 29, kProb, 14, m, o); },
       kBadDepth},
      {"risk category 4 with K = 3",
       [](const SumsView& in, double m, Output& o) { return risk_probability(4, in, 6, m, o); },
       kBadOption},
      {"risk category 0",
       [](const SumsView& in, double m, Output& o) { return risk_probability(0, in, 6, m, o); },
       kBadOption},
      {"climatology option 2",
       [](const SumsView& in, double m, Output& o) { return climatology(2, in, 6, m, o); },
       kBadOption},
      {"category sum selector 3",
       [](const SumsView& in, double m, Output& o) { return category_sum(3, in, 6, m, o); },
       kBadOption},
  };
  for (const C& c : kCases) {
    int rc = 99;
    const double got = testing::one(kP, c.call, &rc);
    EXPECT_EQ(rc, c.want) << c.name;
    EXPECT_EQ(got, kM) << c.name;
  }
}

TEST(RiskCategories, ProbabilitiesClimatologyAndSums) {
  struct C {
    const char* name;
    int (*call)(const SumsView&, double, Output&);
    double want;
  };
  const C kCases[] = {
      {"risk 1: e1 / c1",
       [](const SumsView& in, double m, Output& o) { return risk_probability(1, in, 6, m, o); },
       0.1},
      {"risk 2",
       [](const SumsView& in, double m, Output& o) { return risk_probability(2, in, 6, m, o); },
       0.3},
      {"risk 3",
       [](const SumsView& in, double m, Output& o) { return risk_probability(3, in, 6, m, o); },
       0.7},
      {"climatological frequency",
       [](const SumsView& in, double m, Output& o) { return climatology(1, in, 6, m, o); }, 0.28},
      {"climatological Brier",
       [](const SumsView& in, double m, Output& o) { return climatology(0, in, 6, m, o); },
       0.28 * 0.72},
      {"forecasts in the risk area",
       [](const SumsView& in, double m, Output& o) { return category_sum(1, in, 6, m, o); }, 50},
      {"events",
       [](const SumsView& in, double m, Output& o) { return category_sum(2, in, 6, m, o); }, 28},
  };
  for (const C& c : kCases) testing::expect_value(testing::one(kP, c.call), c.want, kTol, c.name);
  // Category 1 empty (F2 + F3 = N): no probability for it.
  EXPECT_EQ(testing::one({100, 60, 40, 0, 9, 14},
                         [](const SumsView& in, double m, Output& o) {
                           return risk_probability(1, in, 6, m, o);
                         }),
            kM);
}

TEST(ThresholdScores, TwoByTwoTablesAtEachThreshold) {
  // Threshold 1: A = 50 forecasts, B = 23 hits, C = 28 events; table a = 23, b = 27, c = 5, d = 45.
  const double a = 23, b = 27, c = 5, d = 45, n = 100;
  const double odds = a * d / (b * c), orss = (odds - 1) / (odds + 1);
  struct T {
    const char* name;
    Threshold2x2 score;
    int e;
    double want;
  };
  const T kCases[] = {
      {"bias", Threshold2x2::kBias, 1, (a + b) / (a + c)},
      {"ETS", Threshold2x2::kEquitableThreat, 1, (a - 14) / (a + b + c - 14)},
      {"false alarm rate", Threshold2x2::kFalseAlarmRate, 1, b / (b + d)},
      {"false alarm ratio", Threshold2x2::kFalseAlarmRatio, 1, b / (a + b)},
      {"post agreement", Threshold2x2::kPostAgreement, 1, a / (a + b)},
      {"detection", Threshold2x2::kDetection, 1, a / (a + c)},
      {"threat", Threshold2x2::kThreat, 1, a / (a + b + c)},
      {"Heidke", Threshold2x2::kHeidke, 1,
       2 * (a * d - b * c) / ((a + c) * (c + d) + (a + b) * (b + d))},
      {"Peirce", Threshold2x2::kPeirce, 1, a / (a + c) - b / (b + d)},
      {"odds ratio", Threshold2x2::kOddsRatio, 1, odds},
      {"log odds ratio", Threshold2x2::kLogOddsRatio, 1, std::log(odds)},
      {"stderr", Threshold2x2::kLogOddsStdErr, 1, std::sqrt(1 / a + 1 / b + 1 / c + 1 / d)},
      {"ORSS", Threshold2x2::kOddsRatioSkill, 1, orss},
      {"ORSS cubed", Threshold2x2::kOddsRatioSkillCubed, 1, orss * orss * orss},
      {"EDS", Threshold2x2::kExtremeDependency, 1, 2 * std::log((a + c) / n) / std::log(a / n) - 1},
      // Threshold 2: A = F3 = 20, B = F6 = 14, C = 28.
      {"bias at threshold 2", Threshold2x2::kBias, 2, 20.0 / 28},
      {"detection at threshold 2", Threshold2x2::kDetection, 2, 14.0 / 28},
      // The threshold is clamped to 1..K-1.
      {"threshold 0 acts as 1", Threshold2x2::kBias, 0, (a + b) / (a + c)},
      {"threshold 3 acts as 2", Threshold2x2::kBias, 3, 20.0 / 28},
  };
  for (const T& t : kCases) {
    int rc = 99;
    const double got = testing::one(
        kP,
        [&](const SumsView& in, double m, Output& o) {
          return threshold_score(t.score, t.e, in, 6, m, o);
        },
        &rc);
    EXPECT_EQ(rc, kOk) << t.name;
    testing::expect_value(got, t.want, kTol, t.name);
  }
}

TEST(ThresholdScores, Guards) {
  struct T {
    const char* name;
    Threshold2x2 score;
    std::vector<double> f;
    double want;
  };
  const T kCases[] = {
      {"no events: no bias", Threshold2x2::kBias, {100, 30, 20, 0, 0, 0}, kM},
      {"every case an event: no false alarm rate",
       Threshold2x2::kFalseAlarmRate,
       {100, 30, 20, 50, 20, 30},
       kM},
      {"no forecasts: no ratio", Threshold2x2::kFalseAlarmRatio, {100, 0, 0, 5, 0, 0}, kM},
      {"five hits: no stderr", Threshold2x2::kLogOddsStdErr, {100, 30, 20, 5, 2, 3}, kM},
      {"no misses: no odds ratio", Threshold2x2::kOddsRatio, {100, 30, 20, 0, 9, 14}, kM},
      {"no hits: no log odds ratio", Threshold2x2::kLogOddsRatio, {100, 30, 20, 5, 0, 0}, kM},
      {"no hits: no EDS", Threshold2x2::kExtremeDependency, {100, 30, 20, 5, 0, 0}, kM},
      {"N missing", Threshold2x2::kBias, {kAbsent, 30, 20, 5, 9, 14}, kM},
  };
  for (const T& t : kCases) {
    const double got = testing::one(t.f, [&](const SumsView& in, double m, Output& o) {
      return threshold_score(t.score, 1, in, 6, m, o);
    });
    testing::expect_value(got, t.want, kTol, t.name);
  }
  int rc = 0;
  testing::one(
      {100, 30, 20},
      [](const SumsView& in, double m, Output& o) {
        return threshold_score(Threshold2x2::kBias, 1, in, 3, m, o);  // K = 1: no threshold
      },
      &rc);
  EXPECT_EQ(rc, kBadDepth);
  testing::one(
      kP,
      [](const SumsView& in, double m, Output& o) {
        return threshold_score(static_cast<Threshold2x2>(99), 1, in, 6, m, o);
      },
      &rc);
  EXPECT_EQ(rc, kBadOption);
}

// Ranked probability record from four forecasts of three categories (one-hot observations).
struct Forecast {
  double p[3];
  int obs;  // 0-based category observed
};
const Forecast kRecords[] = {
    {{0.7, 0.2, 0.1}, 0}, {{0.2, 0.5, 0.3}, 1}, {{0.1, 0.3, 0.6}, 1}, {{0.3, 0.3, 0.4}, 2}};

// Triple t: sum p_t o_t, sum p_t^2, sum o_t; depth 9 leaves out the last category's sum o_3.
std::vector<double> ranked_record(int depth) {
  std::vector<double> f(depth, 0.0);
  for (const Forecast& r : kRecords) {
    f[0] += 1;
    for (int t = 1; t <= 3; ++t) {
      const double o = r.obs == t - 1 ? 1 : 0, p = r.p[t - 1];
      f[3 * t - 2] += p * o;
      f[3 * t - 1] += p * p;
      if (3 * t < depth) f[3 * t] += o;
    }
  }
  return f;
}

TEST(RankedProbability, ScoresFromTheForecasts) {
  double bs = 0;
  for (const Forecast& r : kRecords)
    for (int t = 0; t < 3; ++t) bs += std::pow(r.p[t] - (r.obs == t ? 1 : 0), 2) / 4;
  for (int depth : {9, 10}) {
    const std::vector<double> f = ranked_record(depth);
    const std::string d = " (depth " + std::to_string(depth) + ")";
    testing::expect_value(
        testing::one(f, [&](const SumsView& in, double m,
                            Output& o) { return ranked_probability(in, depth, m, o); }),
        0.5 * bs, kTol, "score" + d);
    // Mean forecast probability of each category when it was observed; observed frequencies.
    const double prob[] = {0.7, (0.5 + 0.3) / 2, 0.4}, freq[] = {0.25, 0.5, 0.25};
    for (int k = 1; k <= 3; ++k) {
      testing::expect_value(testing::one(f,
                                         [&](const SumsView& in, double m, Output& o) {
                                           return category_forecast_probability(k, in, depth, m, o);
                                         }),
                            prob[k - 1], kTol, "probability k = " + std::to_string(k) + d);
      testing::expect_value(testing::one(f,
                                         [&](const SumsView& in, double m, Output& o) {
                                           return category_observed_frequency(k, in, depth, m, o);
                                         }),
                            freq[k - 1], kTol, "frequency k = " + std::to_string(k) + d);
    }
    testing::expect_value(
        testing::one(f, [&](const SumsView& in, double m,
                            Output& o) { return climatology_ranked_probability(in, depth, m, o); }),
        0.5 * (0.25 * 0.75 + 0.5 * 0.5 + 0.25 * 0.75), kTol, "climatology" + d);
  }
}

TEST(RankedProbability, GuardsAndErrorWords) {
  const std::vector<double> f = ranked_record(9);
  // Category 1 never observed: no mean forecast probability for it, frequency 0.
  std::vector<double> none = f;
  none[3] = 0;  // F4
  EXPECT_EQ(
      testing::one(none, [](const SumsView& in, double m,
                            Output& o) { return category_forecast_probability(1, in, 9, m, o); }),
      kM);
  EXPECT_EQ(
      testing::one(none, [](const SumsView& in, double m,
                            Output& o) { return category_observed_frequency(1, in, 9, m, o); }),
      0.0);
  struct E {
    const char* name;
    int (*call)(const SumsView&, double, Output&);
    int want;
  };
  const E kCases[] = {
      {"one category",
       [](const SumsView& in, double m, Output& o) { return ranked_probability(in, 5, m, o); },
       kBadDepth},
      {"one category, climatology",
       [](const SumsView& in, double m, Output& o) {
         return climatology_ranked_probability(in, 3, m, o);
       },
       kBadDepth},
      {"category 4 of 3",
       [](const SumsView& in, double m, Output& o) {
         return category_forecast_probability(4, in, 9, m, o);
       },
       kBadCategory},
      {"frequency of category 4 of 3",
       [](const SumsView& in, double m, Output& o) {
         return category_observed_frequency(4, in, 9, m, o);
       },
       kBadCategory},
      {"category 0",
       [](const SumsView& in, double m, Output& o) {
         return category_forecast_probability(0, in, 9, m, o);
       },
       kBadOption},
  };
  for (const E& e : kCases) {
    int rc = 99;
    EXPECT_EQ(testing::one(f, e.call, &rc), kM) << e.name;
    EXPECT_EQ(rc, e.want) << e.name;
  }
  std::vector<double> gap = f;
  gap[6] = kAbsent;
  EXPECT_EQ(testing::one(gap, [](const SumsView& in, double m,
                                 Output& o) { return ranked_probability(in, 9, m, o); }),
            kM);
}

TEST(CountFraction, IntervalFractionsAndFixedRange) {
  // N = 10: 2 below the interval, 3 + 4 within, so 1 above; D = 4.
  const std::vector<double> f = {10, 2, 3, 4};
  struct C {
    int option;
    double want;
  };
  for (const C& c : {C{1, 0.2}, C{2, 0.7}, C{3, 0.1}, C{4, 0.3}, C{5, 0.3 - 0.5}}) {
    const testing::Run r = testing::run(testing::SumsArray({f, {0, 1, 1, 1}}),
                                        [&](const SumsView& in, double m, Output& o) {
                                          return count_fraction(c.option, in, 4, m, o);
                                        });
    EXPECT_EQ(r.rc, kOk) << c.option;
    testing::expect_value(r.v[0], c.want, kTol, "option " + std::to_string(c.option));
    EXPECT_EQ(r.v[1], kM) << "N = 0, option " << c.option;
    if (c.option < 5) {
      EXPECT_EQ(r.min, 0.0f) << c.option;
      EXPECT_EQ(r.max, 1.0f) << c.option;
    } else {
      EXPECT_EQ(r.min, static_cast<float>(c.want));
      EXPECT_EQ(r.max, static_cast<float>(c.want));
    }
  }
  // More below the interval than cases: clamped to 1; more within than cases: option 3 clamps to 0.
  EXPECT_EQ(testing::one({10, 12, 0, 0}, [](const SumsView& in, double m,
                                            Output& o) { return count_fraction(1, in, 4, m, o); }),
            1.0);
  EXPECT_EQ(testing::one({10, 2, 9, 4}, [](const SumsView& in, double m,
                                           Output& o) { return count_fraction(3, in, 4, m, o); }),
            0.0);
  for (int option : {0, 6}) {
    int rc = 0;
    EXPECT_EQ(testing::one(
                  f,
                  [&](const SumsView& in, double m, Output& o) {
                    return count_fraction(option, in, 4, m, o);
                  },
                  &rc),
              kM);
    EXPECT_EQ(rc, kBadCountOption) << option;
  }
}

TEST(NoSkillFraction, ClampedWithFixedRange) {
  const testing::Run r = testing::run(
      testing::SumsArray({{10, 0, 4}, {10, 0, 0}, {10, 0, 15}, {0, 0, 4}}),
      [](const SumsView& in, double m, Output& o) { return no_skill_fraction(in, m, o); });
  EXPECT_EQ(r.rc, kOk);
  EXPECT_NEAR(r.v[0], 0.6, kTol);
  EXPECT_EQ(r.v[1], kM);   // F3 = 0
  EXPECT_EQ(r.v[2], 0.0);  // clamped
  EXPECT_EQ(r.v[3], kM);   // N = 0
  EXPECT_EQ(r.min, 0.0f);
  EXPECT_EQ(r.max, 1.0f);
}

// CRPS record with I = 4 bins (D = 12), N = 2.  Bins: g = (0.1, 0.3, 0.6, 0.1),
// o = (0.1, 1/3, 0.5, 0.8), p = (0, 0.25, 0.5, 1); U = 0.25.
const std::vector<double> kCrps = {2, 0.123, 0.4, 0.6, 0.04, 0.02, 0.2, 0.6, 0.456, 0.2, 1.6, 0.5};
const float kCal[] = {0.25f, 0.5f, 0.75f};

double crps_run(int option, const std::vector<double>& f, int count = 3, int* rc = nullptr) {
  return testing::one(
      f,
      [&](const SumsView& in, double m, Output& o) {
        return crps_decomposition(option, in, 12, kCal, count, m, o);
      },
      rc);
}

TEST(CrpsDecomposition, WorkedBins) {
  const double g[] = {0.1, 0.3, 0.6, 0.1}, o[] = {0.1, 1.0 / 3, 0.5, 0.8}, p[] = {0, 0.25, 0.5, 1};
  double crps = 0, pot = 0, rel = 0;
  for (int t = 0; t < 4; ++t) {
    crps += g[t] * (o[t] * (1 - p[t]) * (1 - p[t]) + (1 - o[t]) * p[t] * p[t]);
    pot += g[t] * o[t] * (1 - o[t]);
    rel += g[t] * (o[t] - p[t]) * (o[t] - p[t]);
  }
  ASSERT_NEAR(crps, 0.24875, 1e-12);    // by hand
  ASSERT_NEAR(crps, pot + rel, 1e-12);  // CRPS = potential + reliability
  const double want[] = {crps, pot, rel, 0.25 - pot, 0.25, (0.25 - crps) / 0.25};
  for (int option = 1; option <= 6; ++option) {
    int rc = 99;
    const double got = crps_run(option, kCrps, 3, &rc);
    EXPECT_EQ(rc, kOk) << option;
    testing::expect_value(got, want[option - 1], 1e-6, "option " + std::to_string(option));
  }
  // Exactly I - 1 calibration values are enough.
  EXPECT_NEAR(crps_run(1, kCrps, 3), crps, 1e-6);
}

TEST(CrpsDecomposition, OutlierBinsAndGuards) {
  // Lower outlier o1 = 0: that bin drops out (g1 = 0).  Upper outlier o4 = 1: g4 = 0 and o4 = 1.
  std::vector<double> f = kCrps;
  f[9] = 0;   // F10
  f[10] = 2;  // F11
  const double g[] = {0, 0.3, 0.6, 0}, o[] = {0, 1.0 / 3, 0.5, 1}, p[] = {0, 0.25, 0.5, 1};
  double crps = 0;
  for (int t = 0; t < 4; ++t)
    crps += g[t] * (o[t] * (1 - p[t]) * (1 - p[t]) + (1 - o[t]) * p[t] * p[t]);
  EXPECT_NEAR(crps_run(1, f), crps, 1e-6);
  std::vector<double> no_u = kCrps;
  no_u[11] = 0;
  EXPECT_EQ(crps_run(6, no_u), kM);
  std::vector<double> gap = kCrps;
  gap[5] = kAbsent;
  EXPECT_EQ(crps_run(1, gap), kM);
  int rc = 0;
  EXPECT_EQ(crps_run(1, kCrps, 2, &rc), kM);
  EXPECT_EQ(rc, kBadDepth);
  EXPECT_EQ(crps_run(7, kCrps, 3, &rc), kM);
  EXPECT_EQ(rc, kBadOption);
  EXPECT_EQ(crps_run(0, kCrps, 3, &rc), kM);
  EXPECT_EQ(rc, kBadOption);
  testing::one(
      kCrps,
      [](const SumsView& in, double m, Output& o) {
        return crps_decomposition(1, in, 6, kCal, 3, m, o);  // one bin
      },
      &rc);
  EXPECT_EQ(rc, kBadDepth);
}

}  // namespace
}  // namespace kor::metrics
