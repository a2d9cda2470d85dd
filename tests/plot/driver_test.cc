// The plot driver's own rules: the running mean, the box-whisker grouping of the trace list and the
// box-whisker error report.  Whole runs of the driver are checked end to end in tests/e2e.
#include "plot/driver.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <vector>

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

struct GroupCase {
  const char* what;
  std::vector<int> files, opcodes;
  std::vector<int> want_first_group, want_opcodes;
  int want_pairs;
  std::vector<int> want_errors;
  int flagged;  // trace position marked -1, or 0
};

TEST(BoxWhiskerGrouping, GroupsPairsAndRequestErrors) {
  const GroupCase kCases[] = {
      {"two traces, one code", {11, 12}, {1001, 1001}, {11, 12}, {1001}, 1, {}, 0},
      {"two groups repeating the traces",
       {11, 12, 11, 12},
       {1001, 1001, 1002, 1002},
       {11, 12},
       {1001, 1002},
       1,
       {},
       0},
      {"one trace has no pair", {11}, {1001}, {}, {}, 0, {3}, 0},
      {"code changes at the second trace",
       {11, 12, 13},
       {1001, 1002, 1002},
       {11},
       {1001, 1002},
       0,
       {1, 3},
       0},
      {"later group of another size",
       {11, 12, 11, 12, 13},
       {1, 1, 2, 3, 3},
       {11, 12},
       {1, 2, 3},
       1,
       {2},
       0},
      {"last trace starts a group of its own",
       {11, 12, 11, 12, 11, 12},
       {1, 1, 2, 2, 2, 3},
       {11, 12},
       {1, 2},
       1,
       {4},
       0},
      {"later group does not repeat the traces",
       {11, 12, 13, 11, 14, 13},
       {5, 5, 5, 6, 6, 6},
       {11, 12, 13},
       {5, 6},
       2,
       {},
       5},
      {"last trace of a single group with another code",
       {11, 12, 13},
       {7, 7, 8},
       {11, 12},
       {7},
       1,
       {},
       0},
  };
  for (const GroupCase& c : kCases) {
    BoxWhiskerBook book;
    const int n = static_cast<int>(c.files.size());
    for (int h = 1; h <= n; ++h) group_box_whisker(book, h, n, c.opcodes[h - 1], c.files[h - 1]);
    if (!c.want_first_group.empty()) {
      EXPECT_EQ(book.first_group_traces, c.want_first_group) << c.what;
      EXPECT_EQ(book.group_opcodes, c.want_opcodes) << c.what;
      EXPECT_EQ(book.pairs_per_group, c.want_pairs) << c.what;
    }
    const std::vector<int> errors(book.errors.begin(), book.errors.begin() + book.error_count);
    EXPECT_EQ(errors, c.want_errors) << c.what;
    for (int h = 1; h <= n; ++h) {
      EXPECT_EQ(book.flag[h - 1], h == c.flagged ? -1 : 0) << c.what << " trace " << h;
    }
  }
}

struct ErrsCase {
  const char* what;
  bool colour;
  std::vector<int> errors;
  const char* want;
};

TEST(BoxWhiskerErrors, ReportOnlyWhenObjectsWantedAndErrorsRecorded) {
  const ErrsCase kCases[] = {
      {"no objects wanted", false, {5}, ""},
      {"no errors", true, {}, ""},
      {"point counts differ",
       true,
       {5},
       "  ERRORS detected associated with box-whisker request:\n"
       "  All traces must have the same number of X points.\n"},
      {"grouping error adds the advice",
       true,
       {1, 8},
       "  ERRORS detected associated with box-whisker request:\n"
       "  COMP CODES must be same for paired/grouped traces.\n"
       "  BXWSKR objects not allowed for display methods 3--5.\n"
       "  Check trace number and COMP CODE specifications.\n"},
      {"every code",
       true,
       {2, 3, 4, 6, 7, 9},
       "  ERRORS detected associated with box-whisker request:\n"
       "  # of pairs must be same for all COMP CODE groups.\n"
       "  There are no trace pairs.\n"
       "  All COMP CODE groups must have same CODES.\n"
       "  Resampling driver returned with errors.\n"
       "  Unexpected box-whisker object count returned.\n"
       "  TRACE #s must be repeated for subsequent COMP CODES.\n"
       "  Check trace number and COMP CODE specifications.\n"},
  };
  for (const ErrsCase& c : kCases) {
    PlotSettings settings;
    BoxWhiskerBook book;
    reset_settings(settings, 2, true);
    if (c.colour) settings.bxw_colour[0] = 3;
    for (int e : c.errors) book.add_error(e);
    std::ostringstream os;
    EXPECT_EQ(BXW_ERRS(settings, book, os), 0) << c.what;
    EXPECT_EQ(os.str(), c.want) << c.what;
  }
}

TEST(BoxWhiskerErrors, ErrorsBeyondTheStoredOnesAreNotPrinted) {
  PlotSettings settings;
  BoxWhiskerBook book;
  reset_settings(settings, 2, true);
  settings.bxw_colour[0] = 1;
  for (int i = 0; i < kMaxBxwErrors; ++i) book.add_error(5);
  book.add_error(1);  // the 33rd is counted, not stored
  std::ostringstream os;
  (void)BXW_ERRS(settings, book, os);
  EXPECT_EQ(os.str().find("COMP CODES"), std::string::npos);
  EXPECT_EQ(os.str().find("Check trace"), std::string::npos);
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

TEST(PlotDriver, RefusedRequestsAreReported) {
  struct Case {
    const char* what;
    int method, traces, rc;
    const char* out;
  };
  constexpr Case kCases[] = {
      {"METHOD 7", 7, 2, -4, " PLT_DRIV\n -04 = The plotting method is invalid\n"},
      {"25 traces", 1, 25, -8, " PLT_DRIV\n -08 = number of traces exceeds maximum allowed\n"},
  };
  for (const Case& c : kCases) {
    DriverRequest rq;
    rq.method = c.method;
    rq.trace_count = c.traces;
    util::TextUnit control(9);
    auto reader = std::make_unique<tracefile::ReaderState>();
    auto state = std::make_unique<DriverState>();
    std::ostringstream os;
    EXPECT_EQ(PLT_DRIV(rq, control, *reader, *state, os), c.rc) << c.what;
    EXPECT_EQ(os.str(), c.out) << c.what;
  }
}

}  // namespace
}  // namespace kor::plot
