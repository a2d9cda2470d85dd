// 2x2 scores.  The reference sample A is N = 100, F = 30 forecast events, H = 20 hits, O = 40
// observed events: the contingency table a = 20 hits, b = 10 false alarms, c = 20 misses,
// d = 50 correct negatives.  Expected values come from the textbook a/b/c/d forms of each score.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <string_view>
#include <vector>

#include "metrics/metrics.h"
#include "tests/metrics/metrics_testing.h"

namespace kor::metrics {
namespace {

using testing::kAbsent;
using testing::kDoubleTol;
using testing::kM;
using testing::kSingleTol;
using testing::kUnwritten;

const std::vector<double> kA = {100, 30, 20, 40};

struct Case {
  const char* name;
  std::vector<double> f;  // fields 1..4 (N, F, H, O)
  int option;
  double want;  // kM for missing
};

// Runs every case through routine(option, ...) and checks the value.
template <class Routine>
void check_cases(const char* routine_name, const std::vector<Case>& cases, Routine routine,
                 double tol) {
  for (const Case& c : cases) {
    int rc = 99;
    const double got = testing::one(
        c.f,
        [&](const SumsView& in, double m, Output& out) { return routine(c.option, in, m, out); },
        &rc);
    const std::string what = std::string(routine_name) + " / " + c.name;
    EXPECT_EQ(rc, kOk) << what;
    testing::expect_value(got, c.want, tol, what);
  }
}

TEST(FhoRatios, WorkedValuesAndGuards) {
  auto bias = [](int, const SumsView& in, double m, Output& o) { return frequency_bias(in, m, o); };
  check_cases("frequency_bias",
              {{"A", kA, 0, 0.75},
               {"no observed events", {100, 30, 0, 0}, 0, kM},
               {"forecast count missing", {100, kAbsent, 20, 40}, 0, kM},
               {"field at -1.0e30 is not usable", {100, -1.0e30, 20, 40}, 0, kM},
               {"field just above -1.0e30 is usable", {100, -0.5e30, 20, 40}, 0, -0.5e30 / 40},
               {"count missing", {kAbsent, 30, 20, 40}, 0, kM}},
              bias, kDoubleTol);
  auto ts = [](int, const SumsView& in, double m, Output& o) { return threat_score(in, m, o); };
  check_cases("threat_score",
              {{"A", kA, 0, 20.0 / 50}, {"nothing forecast or observed", {100, 0, 0, 0}, 0, kM}},
              ts, kDoubleTol);
  auto pa = [](int, const SumsView& in, double m, Output& o) { return post_agreement(in, m, o); };
  check_cases("post_agreement", {{"A", kA, 0, 20.0 / 30}, {"no forecasts", {100, 0, 0, 40}, 0, kM}},
              pa, kDoubleTol);
  auto pod = [](int, const SumsView& in, double m, Output& o) {
    return detection_probability(in, m, o);
  };
  check_cases("detection_probability", {{"A", kA, 0, 0.5}, {"no events", {100, 30, 0, 0}, 0, kM}},
              pod, kDoubleTol);
  auto acc = [](int, const SumsView& in, double m, Output& o) { return accuracy(in, m, o); };
  check_cases("accuracy", {{"A", kA, 0, (20.0 + 50) / 100}, {"N = 0", {0, 0, 0, 0}, 0, kM}}, acc,
              kDoubleTol);
}

TEST(SkillScore, OptionsAgainstTableForms) {
  check_cases(
      "skill_score",
      {// ETS: chance hits ar = (a + b)(a + c)/n = 12; (a - ar)/(a + b + c - ar)
       {"ETS A", kA, 0, 8.0 / 38},
       {"ETS with N = 0", {0, 30, 20, 40}, 0, kM},
       {"ETS zero denominator", {100, 0, 0, 0}, 0, kM},
       // HSS = 2(ad - bc) / ((a + c)(c + d) + (a + b)(b + d))
       {"HSS A", kA, 1, 2.0 * (20 * 50 - 10 * 20) / (40 * 70 + 30 * 60)},
       // with N = 0 Heidke is still formed: u = -1200, d = -2400
       {"HSS with N = 0", {0, 30, 20, 40}, 1, 1.0},
       {"HSS zero denominator", {100, 0, 0, 0}, 1, kM},
       // PSS = a/(a + c) - b/(b + d)
       {"PSS A", kA, 2, 0.5 - 10.0 / 60},
       {"PSS with every case an event", {40, 30, 20, 40}, 2, kM}},
      [](int opt, const SumsView& in, double m, Output& o) { return skill_score(opt, in, m, o); },
      kDoubleTol);
}

TEST(FalseAlarm, RatioRateAndMissRate) {
  check_cases(
      "false_alarm",
      {{"ratio b/(a + b)", kA, 0, 10.0 / 30},
       {"ratio without forecasts", {100, 0, 0, 40}, 0, kM},
       {"rate b/(b + d)", kA, 1, 10.0 / 60},
       {"rate with N = O", {40, 30, 20, 40}, 1, kM},
       {"rate with N < O", {30, 30, 20, 40}, 1, kM},
       {"miss rate c/(c + d)", kA, 2, 20.0 / 70},
       {"miss rate with N = F", {30, 30, 20, 40}, 2, kM}},
      [](int opt, const SumsView& in, double m, Output& o) { return false_alarm(opt, in, m, o); },
      kDoubleTol);
}

TEST(OddsRatio, EveryOptionAndItsConditions) {
  const double lor = std::log(5.0), se = std::sqrt(1.0 / 20 + 1.0 / 10 + 1.0 / 20 + 1.0 / 50);
  const double roc = 5.0 / 4 * (1 - lor / 4) - 0.5;
  // Independent check of the ROC form: area under the constant-odds-ratio curve
  // POD = 5 POFD / (1 + 4 POFD), by Simpson's rule.
  double area = 0;
  const int steps = 2000;
  for (int i = 0; i <= steps; ++i) {
    const double x = static_cast<double>(i) / steps, y = 5 * x / (1 + 4 * x);
    area += y * (i == 0 || i == steps ? 1 : (i % 2 ? 4 : 2));
  }
  area /= 3.0 * steps;
  ASSERT_NEAR(roc + 0.5, area, 1e-10);
  check_cases(
      "odds_ratio",
      {{"OR = ad/bc", kA, 0, 5.0},
       {"ORSS", kA, 1, 4.0 / 6},
       {"ln OR", kA, 2, lor},
       {"stderr ln OR", kA, 3, se},
       {"ORSS cubed", kA, 4, std::pow(4.0 / 6, 3)},
       {"ln OR over its stderr", kA, 5, lor / se},
       {"ROC area minus chance", kA, 6, roc},
       {"ROC area minus chance, doubled", kA, 7, 2 * roc},
       {"no false alarms: OR undefined", {100, 20, 20, 40}, 0, kM},
       {"no hits: ln OR undefined", {100, 30, 0, 40}, 2, kM},
       {"no hits: ORSS = -1", {100, 30, 0, 40}, 1, -1.0},
       {"no hits: ROC area undefined", {100, 30, 0, 40}, 6, kM},
       {"three hits: no stderr", {100, 10, 3, 10}, 3, kM},
       {"three hits: no ratio to stderr", {100, 10, 3, 10}, 5, kM},
       {"hits = observed: no stderr", {100, 30, 20, 20}, 3, kM},
       {"d = 0: no stderr", {50, 30, 20, 40}, 3, kM},
       {"OR exactly 1: ROC area 0", {40, 20, 10, 20}, 6, 0.0},
       {"OR exactly 1: doubled 0", {40, 20, 10, 20}, 7, 0.0},
       {"OR exactly 1: ORSS 0", {40, 20, 10, 20}, 1, 0.0}},
      [](int opt, const SumsView& in, double m, Output& o) { return odds_ratio(opt, in, m, o); },
      kDoubleTol);
}

TEST(ExtremeDependency, EdsSedsEdiSedi) {
  // base rate p = (a + c)/n = 0.4, forecast rate q = (a + b)/n = 0.3, H = 0.5, F = 1/6
  const double H = 0.5, F = 10.0 / 60;
  const double sedi = (std::log(F) - std::log(H) - std::log(1 - F) + std::log(1 - H)) /
                      (std::log(F) + std::log(H) + std::log(1 - F) + std::log(1 - H));
  check_cases(
      "extreme_dependency",
      {{"EDS", kA, 1, 2 * std::log(0.4) / std::log(0.2) - 1},
       {"SEDS", kA, 2, std::log(0.3 * 0.4) / std::log(0.2) - 1},
       {"EDI", kA, 3, (std::log(F) - std::log(H)) / (std::log(F) + std::log(H))},
       {"SEDI", kA, 4, sedi},
       {"no hits", {100, 30, 0, 40}, 1, kM},
       {"hits = N: ln(H/N) = 0", {10, 10, 10, 10}, 1, kM},
       {"no forecasts for SEDS", {100, 0, 20, 40}, 2, kM},
       {"EDI without false alarms", {100, 20, 20, 40}, 3, kM},
       {"EDI with N = O", {40, 30, 20, 40}, 3, kM},
       {"SEDI with hits = observed", {100, 30, 40, 40}, 4, kM},
       {"EDS with N = 0", {0, 30, 20, 40}, 1, kM}},
      [](int opt, const SumsView& in, double m, Output& o) {
        return extreme_dependency(opt, in, m, o);
      },
      kDoubleTol);
}

TEST(SinglePrecisionScores, ClaytonTwoAfcAndReference) {
  auto css = [](int, const SumsView& in, double m, Output& o) { return clayton_skill(in, m, o); };
  // Clayton: a/(a + b) - c/(c + d)
  check_cases("clayton_skill",
              {{"A", kA, 0, 20.0 / 30 - 20.0 / 70},
               {"N = 0", {0, 30, 20, 40}, 0, kM},
               {"no events", {100, 30, 0, 0}, 0, kM},
               {"forecast count equals N: d = 0", {100, 100, 40, 40}, 0, kM}},
              css, kSingleTol);
  auto afc = [](int, const SumsView& in, double m, Output& o) { return two_afc(in, m, o); };
  // 2AFC of a 2x2 table: 0.5 (1 + POD - POFD); a random forecast (hits = F O / N) scores 0.5.
  check_cases("two_afc",
              {{"A", kA, 0, 0.5 * (1 + 0.5 - 10.0 / 60)},
               {"random forecast", {100, 30, 12, 40}, 0, 0.5},
               {"perfect forecast", {100, 40, 40, 40}, 0, 1.0},
               {"no events", {100, 30, 0, 0}, 0, kM}},
              afc, kSingleTol);
  auto ref = [](int, const SumsView& in, double m, Output& o) {
    return benchmark_reference(in, m, o);
  };
  // b = 0.4, B = 0.75, h = 0.5: (0.3 + 0.5 - 0.3) / (1.5 x 0.7)
  check_cases("benchmark_reference",
              {{"A", kA, 0, 0.5 / 1.05}, {"no forecasts", {100, 0, 0, 40}, 0, kM}}, ref,
              kSingleTol);
}

// Lambert W by Newton's method in double precision, independent of the routine under test.
double newton_w(double z) {
  double w = std::log1p(z);
  for (int i = 0; i < 50; ++i) w -= (w * std::exp(w) - z) / (std::exp(w) * (1 + w));
  return w;
}

TEST(AdjustedThreatScore, MatchesScoresOfTheAdjustedTable) {
  // dH/dF: hits at F' = O are O (1 - (1 - h)^(O/F)); the scores are those of (N, O, H', O).
  const double hf = 40 * (1 - std::pow(0.5, 40.0 / 30));
  const double ts_f = hf / (80 - hf), ets_f = (hf - 16) / (80 - hf - 16);
  // dH/dA: misses M' solve M' = O exp(-k M') with k from the original table; then hits O - M'.
  const double k = std::log(40.0 / 20) / 10;  // ln(O / (O - H)) / false alarms
  const double miss = newton_w(k * 40) / k;
  ASSERT_NEAR(miss, 40 * std::exp(-k * miss), 1e-9);
  const double ha = 40 - miss;
  const double ts_a = ha / (80 - ha), ets_a = (ha - 16) / (80 - ha - 16);
  check_cases(
      "adjusted_threat_score",
      {{"dH/dF TS", kA, 1, ts_f},
       {"dH/dF ETS", kA, 2, ets_f},
       {"dH/dA TS", kA, 3, ts_a},
       {"dH/dA ETS", kA, 4, ets_a},
       {"unbiased perfect forecast", {100, 40, 40, 40}, 1, 1.0},
       {"no forecasts: B = 0", {100, 0, 0, 40}, 1, kM},
       {"h = 1 for dH/dA", {100, 50, 40, 40}, 3, kM},
       {"no hits for dH/dA: x = 0", {100, 30, 0, 40}, 4, kM},
       {"no events", {100, 30, 0, 0}, 2, kM},
       // N = 0 leaves the threat scores (1 - q)/(1 + q) and (1 - A)/(1 + A) defined.
       {"dH/dF TS with N = 0", {0, 30, 20, 40}, 1, ts_f},
       {"dH/dF ETS with N = 0", {0, 30, 20, 40}, 2, kM},
       {"dH/dA TS with N = 0", {0, 30, 20, 40}, 3, ts_a},
       {"dH/dA ETS with N = 0", {0, 30, 20, 40}, 4, kM},
       {"hits above observed: negative base", {100, 30, 50, 40}, 1, kM}},
      [](int opt, const SumsView& in, double m, Output& o) {
        return adjusted_threat_score(opt, in, m, o);
      },
      1e-5);
}

TEST(BenchmarkValue, EveryScoreAndLabel) {
  // b = 0.4, h = 0.5, B = 0.75; L = ln(1 - h)(h - 1) = 0.5 ln 2
  const double L = 0.5 * std::log(2.0);
  struct K {
    int k;
    const char* label;
    double want;
  };
  const K kCases[] = {{1, "POD_CPR", 0},
                      {2, "EDS_CPR", 0},
                      {3, "TSS_CPR", 0.4},
                      {4, "PC_CPR", 0.5},
                      {5, "POFD_CPR", 1},
                      {6, "FAR_CPR", 0.5 / 0.75},
                      {7, "TS_CPR", 0.5 / 1.75},
                      {8, "ETS_CPR", 0.5 / 1.15},
                      {9, "HSS_CPR", 0.5 / 1.15},
                      {10, "CSS_CPR", 0.29 / 0.525},
                      {11, "ORSS_CPR", 0.15 / 0.275},
                      {12, "CMR_CPR", 0.2 / 0.7},
                      {13, "PA_CPR", 0.5 / 0.75},
                      {14, "TSDHDF_CPR", L / 0.75},
                      {15, "ETSDHDF_CPR", L / 0.75},
                      {16, "TSDHDA_CPR", L / (L + 0.25)},
                      {17, "ETSDHDA_CPR", L / (L + 0.25)}};
  for (const K& c : kCases) {
    std::string_view label = "unset";
    int rc = 99;
    const double got = testing::one(
        kA,
        [&](const SumsView& in, double m, Output& o) {
          return benchmark_value(c.k, in, m, o, &label);
        },
        &rc);
    const std::string what = "benchmark k = " + std::to_string(c.k);
    EXPECT_EQ(rc, kOk) << what;
    EXPECT_EQ(label, c.label) << what;
    EXPECT_EQ(benchmark_label(c.k), c.label) << what;
    testing::expect_value(got, c.want, kSingleTol, what);
  }
  struct G {
    const char* name;
    std::vector<double> f;
    int k;
  };
  const G kGuards[] = {{"FAR without forecasts", {100, 0, 0, 40}, 6},
                       {"TSDHDF with h = 1", {100, 40, 40, 40}, 14},
                       {"TSDHDA with h = 1", {100, 40, 40, 40}, 16},
                       {"N = 0", {0, 30, 20, 40}, 3},
                       {"no events", {100, 30, 0, 0}, 1},
                       {"CMR with bB = 1", {100, 100, 20, 40}, 12}};
  for (const G& g : kGuards) {
    const double got = testing::one(g.f, [&](const SumsView& in, double m, Output& o) {
      return benchmark_value(g.k, in, m, o, nullptr);
    });
    EXPECT_EQ(got, kM) << g.name;
  }
  for (int k : {0, 18}) {
    std::string_view label = "unset";
    int rc = 0;
    const double got = testing::one(
        kA,
        [&](const SumsView& in, double m, Output& o) {
          return benchmark_value(k, in, m, o, &label);
        },
        &rc);
    EXPECT_EQ(rc, kBadOption) << k;
    EXPECT_EQ(got, kM) << k;
    EXPECT_EQ(label, "unset") << k;
    EXPECT_TRUE(benchmark_label(k).empty()) << k;
  }
}

TEST(OptionErrors, OutOfRangeOptionsGiveMinusTwoAndMissingResults) {
  struct E {
    const char* name;
    int (*call)(int, const SumsView&, double, Output&);
    int option;
  };
  const E kCases[] = {{"skill_score", skill_score, 3},
                      {"skill_score", skill_score, -1},
                      {"false_alarm", false_alarm, 3},
                      {"odds_ratio", odds_ratio, 8},
                      {"extreme_dependency", extreme_dependency, 0},
                      {"extreme_dependency", extreme_dependency, 5},
                      {"adjusted_threat_score", adjusted_threat_score, 0},
                      {"adjusted_threat_score", adjusted_threat_score, 5}};
  for (const E& e : kCases) {
    const testing::Run r = testing::run(
        testing::SumsArray({kA, kA}),
        [&](const SumsView& in, double m, Output& o) { return e.call(e.option, in, m, o); });
    const std::string what = std::string(e.name) + " option " + std::to_string(e.option);
    EXPECT_EQ(r.rc, kBadOption) << what;
    EXPECT_EQ(r.v, (std::vector<double>{kM, kM})) << what;
    EXPECT_EQ(r.min, kMinStart) << what;
    EXPECT_EQ(r.max, kMaxStart) << what;
  }
}

TEST(PlainFields, SumAndMean) {
  const std::vector<double> f = {4, 8, -2, kAbsent, -9999};
  struct P {
    const char* name;
    bool mean;
    int k;
    double want;
  };
  const P kCases[] = {{"count", false, 1, 4},
                      {"raw sum", false, 2, 8},
                      {"negative raw sum", false, 3, -2},
                      {"absent field", false, 4, kM},
                      {"mean", true, 2, 2},
                      {"mean of count", true, 1, 1},
                      {"mean of negative", true, 3, -0.5},
                      {"mean of absent", true, 4, kM}};
  for (const P& c : kCases) {
    const double got = testing::one(f, [&](const SumsView& in, double m, Output& o) {
      return c.mean ? field_mean(c.k, in, m, o) : field_sum(c.k, in, m, o);
    });
    testing::expect_value(got, c.want, kDoubleTol, c.name);
  }
  EXPECT_EQ(testing::one({0, 8}, [](const SumsView& in, double m,
                                    Output& o) { return field_mean(2, in, m, o); }),
            kM);
  for (int k : {0, 29}) {
    int rc = 0;
    testing::one(
        f, [&](const SumsView& in, double m, Output& o) { return field_sum(k, in, m, o); }, &rc);
    EXPECT_EQ(rc, kBadDepth) << k;
    testing::one(
        f, [&](const SumsView& in, double m, Output& o) { return field_mean(k, in, m, o); }, &rc);
    EXPECT_EQ(rc, kBadDepth) << k;
  }
}

}  // namespace
}  // namespace kor::metrics
