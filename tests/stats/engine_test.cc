#include "stats/engine.h"

#include "trace_fixture.h"

namespace kor::stats {
namespace {

using EngineTest = TraceTest;

TEST_F(EngineTest, CodeZeroReturnsAtOnceAndLeavesY) {
  ASSERT_EQ(load("fho.trc", 1), 0);
  std::fill(arrays_.y.begin(), arrays_.y.end(), 7.0);
  EXPECT_EQ(run(1, 0), 0);
  EXPECT_EQ(arrays_.y[0], 7.0);
  EXPECT_EQ(arrays_.y[2047], 7.0);
  EXPECT_EQ(result_.perfect, M);
  EXPECT_EQ(result_.count_code, -4);
}

TEST_F(EngineTest, CallErrorsBeforeAnyComputation) {
  struct Case {
    const char* name;
    int plot, trace, code, capacity, rc;
  };
  constexpr Case kCases[] = {
      {"capacity below the point count", 1, 1, 1001, 4, -31},
      {"negative header value", 3, 5, 1001, kMaxPoints, -32},
      {"trace 0", 1, 0, 1001, kMaxPoints, -37},
      {"trace beyond the plot", 1, 3, 1001, kMaxPoints, -37},
      {"code in no group", 1, 1, 99999, kMaxPoints, -32},
      {"bias prefix on an SL1L2 trace is no prefix", 3, 4, 1011001, kMaxPoints, -32},
      {"most negative code", 1, 1, -2147483647 - 1, kMaxPoints, -30},
      {"largest code", 1, 1, 2147483647, kMaxPoints, -48},
  };
  for (const Case& c : kCases) {
    ASSERT_EQ(load("fho.trc", c.plot), 0) << c.name;
    result_.points = 77;
    EXPECT_EQ(run(c.trace, c.code, 0, c.capacity), c.rc) << c.name;
    if (c.rc == -31 || c.rc == -37) {
      EXPECT_EQ(result_.points, 77) << c.name;
    }
  }
}

TEST_F(EngineTest, ThresholdAxisPlacesPointsOnTheCommonAxis) {
  ASSERT_EQ(load("fho.trc", 1), 0);  // skill-score plot: thresholds shown as "(F10.2)" text
  ASSERT_EQ(run(1, 1001), 0);
  EXPECT_EQ(label(), "BIAS_SCORE");
  EXPECT_EQ(result_.perfect, 1.0);
  expect_series(values(), {30.0 / 20, 2.0, 2.0, 2.0, 1.0}, "F/O");
  EXPECT_EQ(result_.points, 5);
  EXPECT_FLOAT_EQ(result_.xmin, 1.0f);
  EXPECT_FLOAT_EQ(result_.xmax, 5.0f);
  EXPECT_FLOAT_EQ(result_.ymin, 1.0f);
  EXPECT_FLOAT_EQ(result_.ymax, 2.0f);
  for (int j = 1; j <= 5; ++j) {
    EXPECT_FLOAT_EQ(arrays_.x[j - 1], static_cast<float>(j));
    EXPECT_EQ(arrays_.x_labels[j - 1], "      " + std::to_string(j) + ".00              ");
    EXPECT_FLOAT_EQ(arrays_.x_values[j - 1], static_cast<float>(M));
  }
  EXPECT_EQ(util::rtrim(result_.stat_type), "FHO");
  EXPECT_EQ(result_.label_type, 'c');
  EXPECT_EQ(result_.plot_type, 3);
}

TEST_F(EngineTest, CommonAxisToleranceAndAllMissingTraces) {
  struct Case {
    int trace;
    int rc;
  };
  // Trace 2 lies 0.00004 off the axis value 12, trace 3 0.00006; trace 4 is all missing and its
  // label 12.5 is on no position.
  constexpr Case kCases[] = {{1, 0}, {2, 0}, {3, -26}, {4, 2}};
  for (const Case& c : kCases) {
    ASSERT_EQ(load("fho.trc", 2), 0);
    EXPECT_EQ(run(c.trace, 1001), c.rc) << "trace " << c.trace;
    if (c.rc != 0) continue;
    expect_series(values(), {1.5, 2.0, 2.0}, "trace " + std::to_string(c.trace));
    EXPECT_FLOAT_EQ(arrays_.x_values[1], 12.0f);
    EXPECT_EQ(util::ST_TLEN(arrays_.x_labels[1]), 0);
  }
}

TEST_F(EngineTest, TimeSeriesGetsFillInPoints) {
  ASSERT_EQ(load("timeseries.trc", 1), 0);
  ASSERT_EQ(run(1, 1001), 0);
  // 12-hour steps; the 36-hour gap after 29 Feb 12:00 gets two points, the 18-hour gap none.
  const std::vector<std::string> labels = {"201602281200", "201602290000", "201602291200",
                                           "201603010000", "201603011200", "201603020000",
                                           "201603021200", "201603030600", "201603031800"};
  const std::vector<double> days = {0, 0.5, 1, 1.5, 2, 2.5, 3, 3.75, 4.25};
  const std::vector<double> want = {1.0, 1.1, 1.2, M, M, 1.3, 1.4, 1.5, 1.6};
  ASSERT_EQ(result_.points, 9);
  expect_series(values(), want, "bias");
  for (int i = 0; i < 9; ++i) {
    EXPECT_EQ(util::rtrim(arrays_.x_labels[i]), labels[i]) << i;
    EXPECT_NEAR(arrays_.x[i], days[i], 1e-6) << i;
  }
  EXPECT_FLOAT_EQ(result_.xmin, 0.0f);
  EXPECT_FLOAT_EQ(result_.xmax, 4.25f);
  EXPECT_EQ(result_.label_type, 't');

  EXPECT_EQ(run(1, 1001, 0, 8), -38);  // seven points fit, nine do not
}

TEST_F(EngineTest, ScatterPlotKeepsItsPointLabels) {
  ASSERT_EQ(load("timeseries.trc", 2), 0);
  ASSERT_EQ(run(1, 1001), 0);
  ASSERT_EQ(result_.points, 3);
  EXPECT_EQ(util::rtrim(arrays_.x_labels[2]), "201602291200");
  EXPECT_FLOAT_EQ(arrays_.x_values[2], static_cast<float>(M));
  EXPECT_FLOAT_EQ(arrays_.x[2], 1.0f);
}

TEST_F(EngineTest, LagAccumulation) {
  struct Case {
    int lag;
    std::vector<double> counts;
  };
  // Counts 1, 2, 4, 8, 16: every sum names its points.
  const Case kCases[] = {
      {0, {1, 2, 4, 8, 16}},   {1, {1, 2, 4, 8, 16}},   {3, {1, 3, 7, 14, 28}},
      {-2, {1, 3, 4, 12, 16}}, {-1, {1, 3, 7, 15, 31}}, {2, {1, 3, 6, 12, 24}},
      {-3, {1, 3, 7, 8, 24}},  {9, {1, 3, 7, 15, 31}},
  };
  ASSERT_EQ(load("partial.trc", 1), 0);
  for (const Case& c : kCases) {
    EXPECT_EQ(run(1, 1, c.lag), 0) << c.lag;
    expect_series(values(), c.counts, "lag " + std::to_string(c.lag));
    EXPECT_EQ(reader_->sum(1, 1, 5), 16.0) << c.lag << ": the reader keeps the file's counts";
  }
  // The lag applies to every field: the mean of field 3 over a trailing pair of points.
  EXPECT_EQ(run(1, 3, 2), 0);
  expect_series(values(), {0.5, 2.5 / 3, 6.0 / 6, 28.0 / 12, 56.0 / 24}, "O mean, lag 2");
}

TEST_F(EngineTest, EveryCallStartsFromTheFileValues) {
  ASSERT_EQ(load("fho.trc", 1), 0);
  // Odds-ratio adjusted hits of trace 1 (plain field -3 behind the prefix).
  ASSERT_EQ(run(1, -1020003), 0);
  EXPECT_EQ(label(), "ORBA_HITS");
  // The same data without prefix: the hits of the file again.
  ASSERT_EQ(run(1, -3), 0);
  EXPECT_EQ(label(), "HITS");
  expect_series(values(), {10, 10, 10, 0, 4}, "file hits");
  // Trace 2 with a lag of 2, then trace 1 and trace 2 without.
  ASSERT_EQ(run(2, 1, 2), 0);
  expect_series(values(), {100, 200, 200, 200, 200}, "lagged counts");
  ASSERT_EQ(run(1, 1), 0);
  expect_series(values(), {100, 100, 100, 100, 100}, "trace 1 counts");
  ASSERT_EQ(run(2, 2020001), 0);  // threshold lag 2 on trace 2
  EXPECT_EQ(label(), "TL=2_DATA_COUNT");
  expect_series(values(), {100, 100, 40 + 30 - 20, 30 + 20 - 15, 20 + 12 - 10}, "TL=2 counts");
  ASSERT_EQ(run(2, 1), 0);
  expect_series(values(), {100, 100, 100, 100, 100}, "trace 2 counts");
}

TEST_F(EngineTest, AdjustedCodesNeedTheFileOnlyOnce) {
  struct Case {
    int plot, trace, code, lag;
  };
  // Bias prefixes, threshold lags and lag accumulations, each followed by another of them.
  constexpr Case kCases[] = {
      {1, 1, -1020003, 0}, {1, 1, 1031007, 0},  {1, 2, 2020001, 0},  {1, 1, 1011003, 2},
      {1, 2, -3, -2},      {1, 1, 2010001, 0},  {1, 1, -1010002, 0}, {3, 2, 1041001, 0},
      {3, 3, 1041001, 1},  {3, 2, -1040003, 0}, {3, 3, 1, 0},
  };
  // What each call gives on a freshly read file.
  std::vector<std::vector<double>> want;
  for (const Case& c : kCases) {
    ASSERT_EQ(load("fho.trc", c.plot), 0);
    ASSERT_GE(run(c.trace, c.code, c.lag), 0) << c.code;
    want.push_back(values());
  }
  // The same calls, twice over, on one reading of a file that is gone after it.
  for (int plot : {1, 3}) {
    const std::string path = (dir_ / "copy.trc").string();
    std::filesystem::copy_file(data("fho.trc"), path,
                               std::filesystem::copy_options::overwrite_existing);
    ASSERT_EQ(load_path(path, plot), 0);
    unit_.close();
    std::filesystem::remove(path);
    for (int round = 0; round < 2; ++round) {
      for (std::size_t i = 0; i < std::size(kCases); ++i) {
        const Case& c = kCases[i];
        if (c.plot != plot) continue;
        out_.clear();
        ASSERT_GE(run(c.trace, c.code, c.lag), 0) << c.code;
        expect_series(values(), want[i],
                      "code " + std::to_string(c.code) + " round " + std::to_string(round));
        EXPECT_EQ(out_.find("Error"), std::string::npos) << out_;
      }
    }
  }
}

TEST_F(EngineTest, ACallAfterAChangeWritesTheMessagesOfTheReadingAgain) {
  ASSERT_EQ(load("prob.trc", 1), 0);
  ASSERT_FALSE(load_output_.empty());  // the probability list of the PBS trace
  struct Case {
    const char* what;
    int code, lag;
    bool repeats;  // the call starts with the messages of the reading
  };
  constexpr Case kCases[] = {
      {"the first call", 1, 2, false},     {"after a lag", 1, 0, true},
      {"after a plain call", 1, 0, false}, {"a lag again", 1, -1, false},
      {"after the lag", 1, 0, true},
  };
  for (const Case& c : kCases) {
    ASSERT_GE(run(1, c.code, c.lag), 0) << c.what;
    EXPECT_EQ(out_.rfind(load_output_, 0) == 0, c.repeats) << c.what << ": " << out_;
  }
}

TEST_F(EngineTest, PrefixDecoding) {
  struct Case {
    const char* name;
    int plot, code, rc, code_out;
    const char* label;
  };
  constexpr Case kCases[] = {
      {"dH/dF prefix", 1, 1011001, 0, 1011001, "DHDF_BIAS_SCORE"},
      {"prefix 100 selects nothing", 1, 1001001, 0, 1001001, "BIAS_SCORE"},
      {"negative prefixed code", 1, -1021001, -30, 1021001, ""},
      {"threshold lag 3", 1, 2031004, 0, 2031004, "TL=3_FLS_ALRM_RATIO"},
      {"threshold lag 10", 1, 2101004, -48, 2101004, ""},
      {"threshold lag off a threshold axis", 2, 2031004, -32, 2031004, ""},
      {"plain code", 1, 1004, 0, 1004, "FLS_ALRM_RATIO"},
  };
  for (const Case& c : kCases) {
    ASSERT_EQ(load("fho.trc", c.plot), 0) << c.name;
    EXPECT_EQ(run(1, c.code), c.rc) << c.name;
    EXPECT_EQ(result_.code, c.code_out) << c.name;
    if (c.rc == 0) {
      EXPECT_EQ(label(), c.label) << c.name;
    }
  }
  ASSERT_EQ(load("fho.trc", 1), 0);
  ASSERT_EQ(run(1, 1011001), 0);
  EXPECT_EQ(out_, " \n  WARNING:  dH/dF bias adjustment is not recommended.\n \n");
  ASSERT_EQ(run(1, 2031004), 0);
  EXPECT_EQ(out_, "");
  expect_series(values(), {1 - 10.0 / 30, 0.5, 0.75, 1.0, 0.8}, "FAR");
  EXPECT_EQ(result_.perfect, 0.0);
}

TEST_F(EngineTest, EnsembleSizeFromTheStatisticType) {
  struct Case {
    int trace, code, rc;
    double value;  // (ff + oo - 2 fo) n / (n + 1) / spread
    int size;
  };
  const Case kCases[] = {
      {1, 1116, 0, 1.0 * 20 / 21 / 0.25, 20},
      {2, 1116, 5, 1.0 * 1000 / 1001 / 0.25, 1000},
      {3, 1217, 0, 1.0 * 5 / 6 / 0.5, 5},
      {4, 1116, 2, M, 5},  // no ensemble size on an SL1L2 trace: nothing to compute
  };
  ASSERT_EQ(load("partial.trc", 3), 0);
  for (const Case& c : kCases) {
    EXPECT_EQ(run(c.trace, c.code), c.rc) << c.trace;
    expect_series(values(), {c.value}, "trace " + std::to_string(c.trace));
    EXPECT_EQ(engine_.ensemble_size, c.size) << c.trace;
    EXPECT_EQ(util::rtrim(engine_.last_stat_type),
              util::rtrim(reader_->traces[c.trace - 1].stat_type));
  }
  // The warning gives way to a later error.
  EXPECT_EQ(run(2, 1201), -36);
}

TEST_F(EngineTest, AllMissingTraceWarns) {
  ASSERT_EQ(load("fho.trc", 1), 0);
  EXPECT_EQ(run(1, 1045), 2);  // in the FHO range, but no statistic
  EXPECT_EQ(label(), "APCP");
  EXPECT_EQ(result_.perfect, M);
  expect_series(values(), {M, M, M, M, M}, "1045");
  EXPECT_GT(result_.ymin, result_.ymax);
}

TEST_F(EngineTest, SmallArraysCapTheCapacity) {
  ASSERT_EQ(load("fho.trc", 1), 0);
  TraceArrays small(4);
  small.attach(result_);
  EXPECT_EQ(run(1, 1001), -31);
  TraceArrays enough(5);
  enough.attach(result_);
  EXPECT_EQ(run(1, 1001), 0);
  EXPECT_EQ(result_.points, 5);
}

}  // namespace
}  // namespace kor::stats
