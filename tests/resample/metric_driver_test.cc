// The resampled metric driver: refusals, code decoding, bias adjustments of trial sums, plain
// fields, track codes, derived codes and error reports.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "resample/resample.h"

namespace kor::resample {
namespace {

constexpr double kM = -9999.0;

// Trial sums (2, 28, trials): member 1 holds the rows of `one`, member 2 those of `two` (fields
// not given are 0, as cleared trial sums are).
std::vector<double> sums(const std::vector<std::vector<double>>& one,
                         const std::vector<std::vector<double>>& two) {
  const std::size_t trials = one.size();
  std::vector<double> s(2 * kSumFields * trials, 0.0);
  for (std::size_t t = 0; t < trials; ++t) {
    for (std::size_t f = 0; f < one[t].size(); ++f) s[2 * (f + kSumFields * t)] = one[t][f];
    for (std::size_t f = 0; f < two[t].size(); ++f) s[2 * (f + kSumFields * t) + 1] = two[t][f];
  }
  return s;
}

double field(const std::vector<double>& s, int member, int f, int t) {
  return s[(member - 1) + 2 * ((f - 1) + kSumFields * t)];
}

struct MetRun {
  int rc = 0;
  int code = 0;
  std::vector<double> values;
  std::string out;
};

MetRun run(int code, int depth, std::vector<double> s, const MetricContext& ctx, int member = 1) {
  const int trials = static_cast<int>(s.size() / (2 * kSumFields));
  MetRun r;
  r.code = code;
  r.values.assign(static_cast<std::size_t>(trials), 4242.0);
  std::ostringstream os;
  float lo = 0, hi = 0;
  r.rc = RSMP_MET(member, r.code, kM, trials, depth, s.data(), ctx, r.values, lo, hi, os);
  r.out = os.str();
  return r;
}

MetricContext context(const char* type, char label_type = 'c') {
  MetricContext c;
  c.stat_type = type;
  c.label_type = label_type;
  return c;
}

TEST(MetricDriverRefusals, CodesAndLines) {
  struct Case {
    const char* name;
    int code;
    const char* type;
    int depth;
    char label_type;
    int rc;
    const char* out;
  };
  constexpr Case kCases[] = {
      {"code 0", 0, "FHO", 4, 'c', -7, ""},
      {"2x2 code on a scalar type", 1001, "SL1L2", 6, 'c', -7, ""},
      {"2x2 code with depth 3", 1001, "FHO", 3, 'c', -7, ""},
      {"1032", 1032, "FHO", 4, 'c', -6,
       "  Box-whisker objects are not supported for time series parametric ROC curves.\n"},
      {"1101 with depth 5", 1101, "SL1L2", 5, 'c', -12, ""},
      {"1216 with depth 7", 1216, "VL1L2", 7, 'c', -12, ""},
      {"1360", 1360, "PBS_WWX", 8, 'c', -6,
       "  Box-whisker objects are not yet supported for attribute diagrams.\n"},
      {"1362", 1362, "PBS_WWX", 8, 'c', -6,
       "  Box-whisker objects are not yet supported for ROC curves.\n"},
      {"1363", 1363, "PBS_WWX", 8, 'c', -6,
       "  Box-whisker objects are not yet supported for parametric ROC curves.\n"},
      {"1401 on a time axis", 1401, "PHSE", 11, 't', -6,
       "  Box-whisker objects are not supported in this context.\n"},
      {"1402 on a time axis", 1402, "PHSE", 11, 't', -6,
       "  Box-whisker objects are not supported in this context.\n"},
      {"1600", 1600, "RHNT", 6, 'c', -6,
       "  Box-whisker objects are not supported in this context (comp code 1600).\n"},
      {"1605", 1605, "RHNT", 6, 'c', -6,
       "  Box-whisker objects are not supported in this context (comp code 1605).\n"},
      {"2307", 2307, "CRPS", 10, 'c', -6,
       "  Box-whisker objects are not supported for CRPS reliability diagrams.\n"},
      {"9001", 9001, "FHO", 4, 'c', -6,
       "  Box-whisker objects are not supported for the count fraction.\n"},
      {"9002", 9002, "CRPS", 10, 'c', -6,
       "  Box-whisker objects are not supported for Comp Code 9002.\n"},
      {"-1", -1, "FHO", 4, 'c', -6, "  Box-whisker objects are not supported for Comp Code -1.\n"},
      {"1504 beyond the categories of depth 9", 1504, "RPS", 9, 'c', -6,
       "  No box-whisker objects are possible.\n"},
      {"3001 is in no group", 3001, "FHO", 4, 'c', -6, "  No box-whisker objects are possible.\n"},
      {"141101 is no track code", 141101, "TRK", 23, 'c', -6,
       "  No box-whisker objects are possible.\n"},
      {"111102 with depth 12", 111102, "TRK", 12, 'c', -13, ""},
      {"field 5 of depth 4", 5, "FHO", 4, 'c', -10, ""},
      {"field -5 of depth 4", -5, "FHO", 4, 'c', -10, ""},
      {"prefix 102 with depth 3", 1021001, "FHO", 3, 'c', -5, ""},
      {"prefix 104 with depth 4", 1041001, "FHO", 4, 'c', -5, ""},
      {"-1011001 leaves statistic code -1001", -1011001, "FHO", 4, 'c', -10,
       " \n  WARNING:  dH/dF bias adjustment is not recommended.\n \n"},
  };
  for (const Case& c : kCases) {
    const MetRun r =
        run(c.code, c.depth, sums({{10, 2, 1, 3}}, {{10, 2, 1, 3}}), context(c.type, c.label_type));
    EXPECT_EQ(r.rc, c.rc) << c.name;
    EXPECT_EQ(r.out, c.out) << c.name;
  }
}

TEST(MetricDriverRefusals, TooManyTrials) {
  std::vector<double> s(2 * kSumFields * 10009, 1.0);
  std::vector<double> values(10009);
  int code = 1001;
  float lo, hi;
  std::ostringstream os;
  EXPECT_EQ(RSMP_MET(1, code, kM, 10009, 4, s.data(), context("FHO"), values, lo, hi, os), -8);
  EXPECT_EQ(RSMP_MET(1, code, kM, 10008, 4, s.data(), context("FHO"), values, lo, hi, os), 0);
}

TEST(MetricDriverValues, PlainFieldsAndTwoByTwo) {
  struct Case {
    const char* name;
    int code;
    int depth;
    const char* type;
    std::vector<double> expect;
  };
  // Member 1: trial 1 (N 10, F 2, H 1, O 4), trial 2 (N 20, F 6, H 3, O 0), trial 3 F missing.
  const std::vector<std::vector<double>> one = {{10, 2, 1, 4}, {20, 6, 3, 0}, {5, -1.1e31, 1, 2}};
  const Case kCases[] = {
      {"code 3: field 3 / field 1", 3, 4, "FHO", {0.1, 0.15, 0.2}},
      {"code -3: the sum itself", -3, 4, "FHO", {1, 3, 1}},
      {"code 1: the count", 1, 4, "FHO", {10, 20, 5}},
      {"code 2: missing field", 2, 4, "FHO", {0.2, 0.3, kM}},
      {"1001 bias F/O", 1001, 4, "FHO", {0.5, kM, kM}},
      {"1006 POD", 1006, 4, "FHO", {0.25, kM, kM}},
      {"1003 threat", 1003, 4, "FHO", {0.2, 3.0 / 3.0, kM}},
  };
  for (const Case& c : kCases) {
    const MetRun r = run(c.code, c.depth, sums(one, one), context(c.type));
    ASSERT_EQ(r.rc, 0) << c.name;
    for (std::size_t t = 0; t < c.expect.size(); ++t) {
      EXPECT_NEAR(r.values[t], c.expect[t], 1e-12) << c.name << " trial " << t;
    }
  }
}

TEST(MetricDriverValues, CountPercentagesAcrossTrials) {
  // Raw F2 of three trials 10, 6, 4: counts 4, 2, 4 of 10.
  const MetRun r = run(
      1015, 4,
      sums({{1, 10, 0, 1}, {1, 6, 0, 1}, {1, 4, 0, 1}}, {{1, 0, 0, 1}, {1, 0, 0, 1}, {1, 0, 0, 1}}),
      context("FHO"));
  ASSERT_EQ(r.rc, 0);
  EXPECT_NEAR(r.values[0], 40, 1e-12);
  EXPECT_NEAR(r.values[1], 20, 1e-12);
  EXPECT_NEAR(r.values[2], 40, 1e-12);
}

TEST(MetricDriverValues, ScalarDerivedCodes) {
  // N 1, f 3, o 1, fo 4, ff 13, oo 2: bias 2, covariance 1, error variance 4 + 1 - 2 = 3,
  // mean square error 13 + 2 - 8 = 7.
  const std::vector<std::vector<double>> one = {{1, 3, 1, 4, 13, 2}, {2, 6, 2, 8, 26, 4}};
  struct Case {
    int code;
    double expect;
  };
  const Case kCases[] = {{1101, 2},
                         {1102, std::sqrt(7.0)},
                         {1104, 1},
                         {1109, std::sqrt(3.0)},
                         {1110, 2 + std::sqrt(3.0)},
                         {1111, 2 - std::sqrt(3.0)},
                         {1112, 4},
                         {1113, -2},
                         {1114, 3},
                         {1115, 7}};
  for (const Case& c : kCases) {
    const MetRun r = run(c.code, 6, sums(one, one), context("SL1L2"));
    ASSERT_EQ(r.rc, 0) << c.code;
    EXPECT_NEAR(r.values[0], c.expect, 1e-12) << c.code;
    EXPECT_NEAR(r.values[1], c.expect, 1e-12) << c.code;
  }
  // Depth 6 is enough for 1101.
  EXPECT_EQ(run(1101, 6, sums(one, one), context("SL1L2")).rc, 0);
}

TEST(MetricDriverValues, TrackCodes) {
  // Depth 13: N 2, distance error sum 8 (field 5), its square sum 40 (field 6); central pressure
  // F 4, O 2, FO 10, FF 18, OO 6 in fields 9..13 (per count: f 2, o 1, fo 5, ff 9, oo 3).
  const std::vector<double> rec = {2, 0, 0, 0, 8, 40, 0, 0, 4, 2, 10, 18, 6};
  struct Case {
    int code;
    int depth;
    int rc;
    double expect;
  };
  const Case kCases[] = {
      {101101, 13, 0, 4.0},              // mean distance error 8 / 2
      {101102, 13, 0, std::sqrt(20.0)},  // sqrt(40 / 2)
      {101107, 13, 0, 2.0},              // spread sqrt(20 - 16)
      {111101, 13, 0, 1.0},              // f - o
      {111102, 13, 0, std::sqrt(2.0)},   // sqrt(9 + 3 - 10)
      {111115, 13, 0, 2.0},              // the square of that
      {111102, 12, -13, 0},
      {121101, 17, -13, 0},
      {131101, 22, -13, 0},
  };
  for (const Case& c : kCases) {
    std::vector<double> r1(rec.begin(), rec.begin() + std::min<int>(c.depth, rec.size()));
    const MetRun r = run(c.code, c.depth, sums({r1}, {r1}), context("TRK"));
    ASSERT_EQ(r.rc, c.rc) << c.code;
    if (c.rc == 0) {
      EXPECT_NEAR(r.values[0], c.expect, 1e-12) << c.code;
    }
  }
}

TEST(MetricDriverValues, RangeOfTheResults) {
  struct Case {
    const char* name;
    int code;
    std::vector<std::vector<double>> trials;
    int rc;
    float lo, hi;
  };
  const float m = static_cast<float>(kM);
  const Case kCases[] = {
      // Biases 0.5 and 2, the third trial without observed events.
      {"bias", 1001, {{10, 2, 1, 4}, {20, 6, 3, 3}, {5, 1, 1, 0}}, 0, 0.5f, 2.0f},
      {"no trial with a value", 1001, {{10, 2, 1, 0}, {10, 2, 1, 0}}, 2, m, m},
      {"the count itself", 1, {{3, 0, 0, 0}, {7, 0, 0, 0}}, 0, 3.0f, 7.0f},
  };
  for (const Case& c : kCases) {
    std::vector<double> s = sums(c.trials, c.trials);
    const int trials = static_cast<int>(c.trials.size());
    std::vector<double> values(static_cast<std::size_t>(trials));
    int code = c.code;
    float lo = 0, hi = 0;
    std::ostringstream os;
    EXPECT_EQ(RSMP_MET(1, code, kM, trials, 4, s.data(), context("FHO"), values, lo, hi, os), c.rc)
        << c.name;
    EXPECT_EQ(lo, c.lo) << c.name;
    EXPECT_EQ(hi, c.hi) << c.name;
  }
}

TEST(MetricDriverValues, AllMissingGivesWarning) {
  const MetRun r = run(1001, 4, sums({{10, 2, 1, 0}, {10, 2, 1, 0}}, {{10, 2, 1, 3}, {1, 1, 1, 1}}),
                       context("FHO"));
  EXPECT_EQ(r.rc, 2);
  EXPECT_EQ(r.values, (std::vector<double>{kM, kM}));
}

TEST(MetricDriverValues, MetricErrorWords) {
  struct Case {
    const char* name;
    int code;
    int depth;
    const char* type;
    const char* out;
  };
  constexpr Case kCases[] = {
      {"risk category 4 of K = 3", 1305, 6, "PBS_WWX", "  Error code from CPB library =  -2\n"},
      {"S1 with depth 10", 1901, 10, "KVORN", "  Error code from CS library =  -1\n"},
      {"FSS with depth 3", 2101, 3, "FSS", "  Error code from STX library =  -1\n"},
  };
  for (const Case& c : kCases) {
    std::vector<double> rec(static_cast<std::size_t>(c.depth), 1.0);
    const MetRun r = run(c.code, c.depth, sums({rec}, {rec}), context(c.type));
    EXPECT_EQ(r.rc, -14) << c.name;
    EXPECT_EQ(r.out, c.out) << c.name;
  }
}

// An independent principal-branch Lambert W by Newton's method in double precision.
double lambert(double z) {
  double w = std::log1p(z);
  for (int i = 0; i < 50; ++i) w -= (w * std::exp(w) - z) / (std::exp(w) * (w + 1));
  return w;
}

TEST(BiasOnTrialSums, Prefixes) {
  const double dhda = 20 - 30 / std::log(2.0) * lambert(std::log(2.0) * 20 / 30);
  struct Case {
    const char* name;
    int prefix;
    int depth;
    std::vector<double> in;  // N, F2, F3, F4 (, F5, F6)
    double f2, f3;           // after
    double tolerance;
  };
  const Case kCases[] = {
      {"101 dH/dF", 101, 4, {100, 40, 10, 20}, 20, 20 * (1 - std::sqrt(0.5)), 1e-9},
      {"101 with O = H", 101, 4, {100, 20, 10, 10}, 10, 10, 1e-12},
      {"102 odds ratio 3", 102, 4, {100, 30, 10, 20}, 20, 45 - std::sqrt(1425.0), 1e-9},
      {"102 odds ratio 1: hits of independence", 102, 4, {100, 25, 5, 20}, 20, 4, 1e-12},
      {"102 no hits", 102, 4, {100, 30, 0, 20}, 20, 0, 0},
      {"102 F = H", 102, 4, {100, 10, 10, 20}, 20, 20, 0},
      {"102 F below H: unchanged", 102, 4, {100, 8, 9, 20}, 8, 9, 0},
      {"103 dH/dA", 103, 4, {100, 40, 10, 20}, 20, dhda, 1e-4},
      {"104 depth 5", 104, 5, {100, 40, 10, 20, 7}, 20, 7, 0},
      {"104 depth 6", 104, 6, {100, 40, 10, 20, 7, 33}, 33, 7, 0},
      {"100 changes nothing", 100, 4, {100, 40, 10, 20}, 40, 10, 0},
      {"N = 0 is left alone", 102, 4, {0, 30, 10, 20}, 30, 10, 0},
      {"missing O is left alone", 101, 4, {100, 40, 10, -1.1e31}, 40, 10, 0},
  };
  for (const Case& c : kCases) {
    std::vector<double> other = {1, 2, 3, 4, 5, 6};
    std::vector<double> s = sums({c.in, c.in}, {other, other});
    ASSERT_EQ(RSMP_BIAS(1, c.prefix, 2, c.depth, s.data()), 0) << c.name;
    for (int t = 0; t < 2; ++t) {
      EXPECT_NEAR(field(s, 1, 2, t), c.f2, c.tolerance) << c.name;
      EXPECT_NEAR(field(s, 1, 3, t), c.f3, c.tolerance) << c.name;
      EXPECT_EQ(field(s, 1, 1, t), c.in[0]) << c.name;
      EXPECT_EQ(field(s, 1, 4, t), c.in[3]) << c.name;
      for (int f = 1; f <= 6; ++f) EXPECT_EQ(field(s, 2, f, t), f) << c.name << " member 2";
    }
  }
}

TEST(BiasOnTrialSums, PrefixThroughTheDriver) {
  // 1011001: the warning lines, dH/dF on every trial, then the bias F'/O = 1; the caller's code is
  // left positive.
  const MetRun r =
      run(1011001, 4, sums({{100, 40, 10, 20}, {50, 10, 5, 10}}, {{1}, {1}}), context("FHO"));
  EXPECT_EQ(r.rc, 0);
  EXPECT_EQ(r.code, 1011001);
  EXPECT_EQ(r.out, " \n  WARNING:  dH/dF bias adjustment is not recommended.\n \n");
  EXPECT_EQ(r.values, (std::vector<double>{1.0, 1.0}));
  // The same prefix as -1011001 on a scalar type is no 2x2 code: plain field -1011001, -10.
  const MetRun s = run(-1011001, 6, sums({{1}}, {{1}}), context("SL1L2"));
  EXPECT_EQ(s.rc, -10);
  EXPECT_EQ(s.code, -1011001);
  const MetRun t = run(-1011001, 4, sums({{1, 1, 1, 1}}, {{1}}), context("FHO"));
  EXPECT_EQ(t.code, 1011001);
}

}  // namespace
}  // namespace kor::resample
