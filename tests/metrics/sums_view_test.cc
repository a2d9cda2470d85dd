// The sums view, the result range and the conventions shared by every routine.
#include <fenv.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "metrics/metrics.h"
#include "tests/metrics/metrics_testing.h"

namespace kor::metrics {
namespace {

using testing::kM;

TEST(SumsView, AddressesLeadingIndexFieldAndSample) {
  // Two pair members, 28 fields, 3 trials: value = 1000 member + 10 field + trial, laid out with
  // the member varying fastest, then the field, then the trial.
  const int lead = 2, fields = 28, n = 3;
  std::vector<double> data(lead * fields * n);
  for (int t = 0; t < n; ++t)
    for (int k = 1; k <= fields; ++k)
      for (int m = 1; m <= lead; ++m)
        data[(m - 1) + lead * (k - 1) + lead * fields * t] = 1000 * m + 10 * k + t;
  for (int m = 1; m <= lead; ++m) {
    const SumsView v{data.data(), lead, fields, n, m - 1};
    for (int k : {1, 4, 28})
      for (int t = 0; t < n; ++t)
        EXPECT_EQ(v.F(k, t), 1000 * m + 10 * k + t)
            << "member " << m << " field " << k << " trial " << t;
  }
  // The statistics engine's 24-trace table: trace 24 of 24, point 2.
  std::vector<double> table(24 * 28 * 3, 0.0);
  table[23 + 24 * (5 - 1) + 24 * 28 * 2] = 7.5;
  const SumsView trace{table.data(), 24, 28, 3, 23};
  EXPECT_EQ(trace.F(5, 2), 7.5);
  EXPECT_EQ(trace.F(5, 1), 0.0);
}

TEST(SumsView, RoutinesReadOnlyTheirLeadingIndex) {
  // The same samples at the first and last of 24 traces and as member 2 of a pair; the decoys that
  // fill the other indices would change every result if read.
  const std::vector<std::vector<double>> samples = {{100, 30, 20, 40}, {50, 10, 5, 20}};
  for (auto [lead, index] : {std::pair{24, 0}, std::pair{24, 23}, std::pair{2, 1}}) {
    const testing::Run r = testing::run(
        testing::SumsArray(samples, lead, index),
        [](const SumsView& in, double m, Output& o) { return frequency_bias(in, m, o); });
    EXPECT_EQ(r.v, (std::vector<double>{0.75, 0.5})) << lead << "/" << index;
  }
}

TEST(Range, MinimumAndMaximumOfNonMissingResultsInSinglePrecision) {
  // Biases 0.75, missing (F4 = 0), 1.5, and a result exactly equal to M (F2 = -9999 x 2, F4 = 2).
  const testing::Run r = testing::run(
      testing::SumsArray({{100, 30, 20, 40}, {100, 30, 0, 0}, {10, 3, 1, 2}, {10, -19998, 0, 2}}),
      [](const SumsView& in, double m, Output& o) { return frequency_bias(in, m, o); });
  EXPECT_EQ(r.rc, kOk);
  EXPECT_EQ(r.v, (std::vector<double>{0.75, kM, 1.5, kM}));
  EXPECT_EQ(r.min, 0.75f);
  EXPECT_EQ(r.max, 1.5f);
}

TEST(Range, StartValuesWhenNothingIsComputed) {
  struct C {
    const char* name;
    std::vector<std::vector<double>> samples;
  };
  const C kCases[] = {{"all missing", {{100, 30, 0, 0}, {0, 1, 1, 0}}}, {"no samples", {}}};
  for (const C& c : kCases) {
    const testing::Run r = testing::run(
        testing::SumsArray(c.samples),
        [](const SumsView& in, double m, Output& o) { return frequency_bias(in, m, o); });
    EXPECT_EQ(r.rc, kOk) << c.name;
    EXPECT_EQ(r.min, 1.1e30f) << c.name;
    EXPECT_EQ(r.max, -1.1e30f) << c.name;
    for (double v : r.v) EXPECT_EQ(v, kM) << c.name;
  }
}

TEST(Range, OverflowingResultIsMissingNotInfinite) {
  // 1e300 / 1e-300 overflows; the sample is missing and the range keeps its start values.
  const testing::Run r = testing::run(
      testing::SumsArray({{1, 1e300, 0, 1e-300}, {3e40, 3e40, 0, 1}}),
      [](const SumsView& in, double m, Output& o) { return frequency_bias(in, m, o); });
  EXPECT_EQ(r.v[0], kM);
  // 3e40 is beyond single precision: the range is pinned to the largest float.
  EXPECT_EQ(r.v[1], 3e40);
  EXPECT_EQ(r.max, 3.4028235e38f);
}

TEST(Range, FieldDimensionTooSmallIsADepthError) {
  const testing::SumsArray a({{100, 30, 20}}, 24, 0, 3);
  const testing::Run r = testing::run(
      a, [](const SumsView& in, double m, Output& o) { return frequency_bias(in, m, o); });
  EXPECT_EQ(r.rc, kBadDepth);
  EXPECT_EQ(r.v[0], kM);
}

TEST(Traps, DivisionByZeroAndInvalidOperationsAreTrapped) {
  // Every guard in the library is tested with these traps on; make sure they really are.
  EXPECT_NE(fegetexcept() & FE_DIVBYZERO, 0);
  EXPECT_NE(fegetexcept() & FE_INVALID, 0);
}

}  // namespace
}  // namespace kor::metrics
