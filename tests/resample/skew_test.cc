// The skew ratio RSMP_TRC reports beside the bounds of a pair: the distance from the median up to
// the upper bound over the distance down to the lower bound, (U - Q) / (Q - B), checked against
// the bounds and median of the same result (the lower bound is minus the reported minus-lower).
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "resample/resample.h"
#include "resample/ucd_writer.h"

namespace kor::resample {
namespace {

TEST(SkewRatio, UpperOverLowerDistanceFromTheMedian) {
  // 40 record pairs whose counts differ by 1 to 4: the trial differences spread to both sides
  // of 0, unevenly, so that the two distances from the median differ.
  std::vector<UcdRecord> records;
  for (int r = 0; r < 40; ++r) {
    const double first = 10.0 + (r % 4 == 0 ? 4 : r % 3 + 1);
    records.push_back({1, 1, 1, {first}});
    records.push_back({1, 2, 1, {10.0}});
  }
  ASSERT_TRUE(write_ucd("skew.ucd", 1, records));
  struct Case {
    const char* name;
    float alpha;
  };
  constexpr Case kCases[] = {{"alpha .10", 0.10f}, {"alpha .40", 0.40f}};
  for (const Case& c : kCases) {
    ResampleState state;
    state.ucd_path = "skew.ucd";
    state.trials = 500;
    MetricContext context;
    context.stat_type = "FHO";
    const std::vector<int> traces = {1, 2};
    std::vector<int> codes = {1};  // the count itself
    TrcInput in;
    in.traces = traces;
    in.codes = codes;
    in.alpha = c.alpha;
    in.context = &context;
    TrcOutput out;
    std::ostringstream os;
    ASSERT_EQ(RSMP_TRC(in, state, out, os), 0) << c.name;
    ASSERT_EQ(out.count, 1) << c.name;
    const double upper = out.upper[0], median = out.median[0], lower = -out.minus_lower[0];
    // Member 1 holds the larger count as often as not: the bounds lie on both sides of 0.
    ASSERT_LT(lower, 0.0) << c.name;
    ASSERT_GT(upper, 0.0) << c.name;
    ASSERT_GT(median - lower, 0.0) << c.name;
    EXPECT_NEAR(out.skew[0], (upper - median) / (median - lower), 1e-5) << c.name;
    EXPECT_GT(std::fabs((upper - median) - (median - lower)), 0.0) << c.name;
  }
}

}  // namespace
}  // namespace kor::resample
