// The per-trace rules of a plot run: the running mean, the count-weighted mean of the legend and
// the scale factors of the axes.
#include "plot/traces.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <vector>

#include "plot/kinds.h"

namespace kor::plot {
namespace {

constexpr float M = -9999.0f;

struct MeanCase {
  const char* what;
  int window, align;
  std::vector<float> in, want;
};

TEST(RunningMean, WindowsAlignmentsAndMissingValues) {
  const MeanCase kCases[] = {
      // Centred odd window: one point either side; the missing point stays missing and is skipped
      // in its neighbours' windows.
      {"centred 3 with a gap", 3, 0, {1, 2, M, 4, 5}, {1.5f, 1.5f, M, 4.5f, 4.5f}},
      // Centred even window: two points after, one before.
      {"centred 4", 4, 0, {1, 2, 3, 4, 5}, {2.0f, 2.5f, 3.5f, 4.0f, 4.5f}},
      {"trailing 2", 2, -1, {1, 2, 3}, {1.0f, 1.5f, 2.5f}},
      {"leading 2", 2, 1, {1, 2, 3}, {1.5f, 2.5f, 3.0f}},
      {"trailing 3 skips a missing neighbour", 3, -5, {2, M, 4, 8}, {2.0f, M, 3.0f, 6.0f}},
      {"window 1 keeps the values", 1, 0, {3, M, 7}, {3.0f, M, 7.0f}},
      {"window 0 leaves the values", 0, 0, {3, M, 7}, {3.0f, M, 7.0f}},
      {"negative window leaves the values", -2, 0, {3, 4}, {3.0f, 4.0f}},
      {"a valid point among missing ones keeps its value", 3, 0, {M, 5, M}, {M, 5.0f, M}},
      {"near-missing counts as missing", 3, 0, {1, -9999.05f, 3}, {1.0f, M, 3.0f}},
      {"window longer than the trace", 9, 0, {1, 2, 3}, {2.0f, 2.0f, 2.0f}},
      // The largest window of the dialogue reaches past either end: every point takes the mean of
      // the points there are on its side (by hand: 2.5 = (1+2+3+4)/4, 3.5 = (3+4)/2).
      {"largest leading window", 2147483647, 1, {1, 2, 3, 4}, {2.5f, 3.0f, 3.5f, 4.0f}},
      {"largest trailing window", 2147483647, -1, {1, 2, 3, 4}, {1.0f, 1.5f, 2.0f, 2.5f}},
      {"largest centred window", 2147483647, 0, {1, 2, M, 6}, {3.0f, 3.0f, M, 3.0f}},
  };
  for (const MeanCase& c : kCases) {
    std::vector<float> y = c.in;
    running_mean(y, c.window, c.align);
    ASSERT_EQ(y.size(), c.want.size()) << c.what;
    for (std::size_t i = 0; i < y.size(); ++i) {
      EXPECT_NEAR(y[i], c.want[i], 1e-5) << c.what << " point " << i + 1;
    }
  }
}

TEST(CountWeightedMean, SkipsMissingValuesAndCounts) {
  struct Case {
    const char* what;
    std::vector<float> values;
    std::vector<double> counts;
    double mean;
  };
  const Case kCases[] = {
      {"weights by count", {1.0f, 3.0f}, {1.0, 3.0}, (1.0 + 9.0) / 4.0},
      {"missing value skipped with its count", {2.0f, -9999.0f, 4.0f}, {2.0, 100.0, 2.0}, 3.0},
      {"missing count skipped with its value", {2.0f, 50.0f}, {5.0, -9999.0}, 2.0},
      {"value near the missing value", {-9999.05f, 6.0f}, {1.0, 1.0}, 6.0},
      {"no counts", {1.0f, 2.0f}, {0.0, 0.0}, -9999.0},
      {"nothing present", {-9999.0f}, {3.0}, -9999.0},
      {"shorter counts", {1.0f, 2.0f, 100.0f}, {1.0, 1.0}, 1.5},
  };
  for (const Case& c : kCases) {
    EXPECT_DOUBLE_EQ(count_weighted_mean(c.values, c.counts), c.mean) << c.what;
  }
}

TEST(ScaleFactors, EachAxisItsFactorAndMissingPointsStay) {
  struct Case {
    const char* what;
    bool right_axis;
    bool second_on_right;
    double left, right;
    std::vector<float> first, second;  // after scaling, from {2, M, -3} and {5, M}
  };
  const Case kCases[] = {
      {"left factor 100", false, false, 100, 1, {200, M, -300}, {500, M}},
      {"right trace takes the right factor", true, true, 10, -2, {20, M, -30}, {-10, M}},
      {"right flags without a right axis", false, true, 10, -2, {20, M, -30}, {50, M}},
      {"factors of 1 change nothing", true, true, 1, 1, {2, M, -3}, {5, M}},
  };
  for (const Case& c : kCases) {
    PlotSettings ps;
    ps.right_axis = c.right_axis;
    ps.right_trace[1] = c.second_on_right;
    ps.left_factor = c.left;
    ps.right_factor = c.right;
    resample::PlotTraces traces(8);
    const std::vector<float> in[] = {{2, M, -3}, {5, M}};
    for (int h = 0; h < 2; ++h) {
      traces.count[h] = static_cast<int>(in[h].size());
      for (std::size_t i = 0; i < in[h].size(); ++i) traces.Y(h, i) = in[h][i];
    }
    traces.count[2] = 1;
    traces.Y(2, 0) = 7;  // beyond the trace count: untouched
    apply_scale_factors(ps, traces, 2);
    for (std::size_t i = 0; i < c.first.size(); ++i)
      EXPECT_EQ(traces.Y(0, i), c.first[i]) << c.what;
    for (std::size_t i = 0; i < c.second.size(); ++i) {
      EXPECT_EQ(traces.Y(1, i), c.second[i]) << c.what;
    }
    EXPECT_EQ(traces.Y(2, 0), 7.0f) << c.what;
  }
}

// Plot 1 of tests/data/stats/fho.trc, read with its data.
void read_fho_plot(tracefile::ReaderState& reader) {
  util::TextUnit unit(8);
  ASSERT_TRUE(unit.open(std::string(KOR_TEST_DATA) + "/stats/fho.trc"));
  std::ostringstream os;
  int plots = 0, traces = 0, type = 0;
  ASSERT_EQ(tracefile::RDTD_INI(reader, unit, plots), 0);
  ASSERT_EQ(tracefile::RDTD_FND(reader, unit, 1, tracefile::kReadData, traces, type, os), 0);
}

TEST(BinCounts, FhoSkillScoreAndBinnedPlotsCountWithTheFirstCode) {
  // Trace 1 of plot 1: (N, F, H, O) = (100, 30, 10, 20), (100, 20, 10, 10), (100, 40, 10, 20),
  // (100, 10, 0, 5), (100, 20, 4, 20).
  tracefile::ReaderState reader;
  std::ostringstream os;
  ASSERT_NO_FATAL_FAILURE(read_fho_plot(reader));
  struct Case {
    const char* what;
    int final_type, first_code;
    std::vector<double> counts;
  };
  const Case kCases[] = {
      {"skill score: the observed events", kSkillScore, 1001, {20, 10, 20, 5, 20}},
      {"binned data", kBinnedData, 1001, {20, 10, 20, 5, 20}},
      {"forecast volume: its own sums", kSkillScore, 1012, {30, 20, 40, 10, 20}},
      {"a time series has none", kTimeSeries, 1001, {}},
      {"a histogram has none", kHistogram, 1001, {}},
  };
  for (const Case& c : kCases) {
    auto st = std::make_unique<DriverState>();
    st->stat_type = "FHO";
    DriverRequest rq;
    rq.traces = {1, 2};
    rq.opcodes = {c.first_code, 1013};  // only the first code counts
    collect_bin_counts(rq, reader, *st, c.final_type, os);
    EXPECT_EQ(st->bin_counts, c.counts) << c.what;
  }
}

TEST(NegativeCounts, ATraceWhoseSampleCountsAreNegativeIsReported) {
  // Trace 1 of plot 1 has five points of 100 cases each; -9999 written as a count is no count.
  struct Case {
    const char* what;
    std::vector<int> negative;  // points (from 1) of trace 1 whose count is made negative
    double count;               // the count written there
    std::string line;           // the warning, empty for none
  };
  const Case kCases[] = {
      {"counts as read", {}, 0, ""},
      {"two counts of -9999",
       {2, 4},
       -9999,
       "  Warning:  TRACE #01 has 2 of 5 points with a negative sample count: they are not "
       "scores.\n"},
      {"one count of -1",
       {5},
       -1,
       "  Warning:  TRACE #01 has 1 of 5 points with a negative sample count: they are not "
       "scores.\n"},
  };
  for (const Case& c : kCases) {
    tracefile::ReaderState reader;
    std::ostringstream os;
    ASSERT_NO_FATAL_FAILURE(read_fho_plot(reader));
    for (int point : c.negative) reader.sum(1, 1, point) = c.count;
    auto st = std::make_unique<DriverState>();
    DriverRequest rq;
    rq.traces = {1, 2};
    rq.trace_count = 2;
    rq.opcodes = {1001, 1001};
    int final_type = kTimeSeries;
    st->trace_count = 2;
    ASSERT_EQ(compute_traces(rq, reader, *st, final_type, os), 0) << c.what;
    const std::string out = os.str();
    if (c.line.empty()) {
      EXPECT_EQ(out.find("negative sample count"), std::string::npos) << c.what << out;
    } else {
      EXPECT_NE(out.find(c.line), std::string::npos) << c.what << out;
      EXPECT_EQ(out.find("TRACE #02 has"), std::string::npos) << c.what << out;
    }
  }
}

}  // namespace
}  // namespace kor::plot
