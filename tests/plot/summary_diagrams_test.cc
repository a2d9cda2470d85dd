// The plot driver's data of the performance and Taylor diagrams, run in the process on small trace
// data files written here: the points and their texts, the points left out and the summed point,
// the Taylor statistics of the sums present and where the trace's marker goes, and the refusals.
// Values are worked by hand from the files' sums.
#include "plot/summary_diagrams.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "plot/driver.h"
#include "plot/kinds.h"

namespace kor::plot {
namespace {

namespace fs = std::filesystem;

class SummaryData : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("kor_plot_summary_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    state_ = std::make_unique<DriverState>();
    state_->files.output_dir = dir_.string();
  }
  void TearDown() override { fs::remove_all(dir_); }

  // Runs the driver on `trace_file` (plot 1, every trace) with `control` lines and the dialogue's
  // numbers.  Returns the driver's code.
  int run(const std::string& trace_file, const std::string& control, int method, int display,
          int code, int lag = 0, int plot_type = 4) {
    std::ofstream(dir_ / "t.trc") << trace_file;
    std::ofstream(dir_ / "c.ctl") << control;
    util::TextUnit trace(8), ctl(9);
    EXPECT_TRUE(trace.open((dir_ / "t.trc").string()));
    EXPECT_TRUE(ctl.open((dir_ / "c.ctl").string()));
    int plots = 0, traces = 0, type = 0;
    EXPECT_EQ(tracefile::RDTD_INI(reader_, trace, plots), 0);
    EXPECT_EQ(tracefile::RDTD_FND(reader_, trace, 1, 1, traces, type, out_), 0) << out_.str();
    DriverRequest rq;
    rq.trace_count = traces;
    for (int h = 0; h < traces; ++h) {
      rq.traces[h] = h + 1;
      rq.opcodes[h] = code;
      rq.lags[h] = lag;
    }
    rq.method = method;
    rq.display = display;
    rq.opcode_count = 1;
    rq.plot_type = plot_type;
    return PLT_DRIV(rq, ctl, reader_, *state_, out_);
  }

  fs::path dir_;
  tracefile::ReaderState reader_;
  std::unique_ptr<DriverState> state_;
  std::ostringstream out_;
};

// A data record: a label of 24 columns and values of 20.
std::string record(const std::string& label, const std::vector<double>& values) {
  std::string line = label;
  line.resize(24, ' ');
  char buf[32];
  for (double v : values) {
    std::snprintf(buf, sizeof buf, "%20.12E", v);
    line += buf;
  }
  return line + "\n";
}
std::string real_label(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%24.7E", v);
  return buf;
}

// One FHO trace against three thresholds (0.5, 1, 2.5): F, H, O of 50, 30, 40; 0, 0, 10 (no
// forecasts); 20, 5, 10.
std::string thresholds_file(const std::string& stat = "FHO") {
  return "   1   2  0  0   1   1  4\n1 GLOBAL 0 0 0\n   1  10  0  0   1   1  4\n10 0 0 " + stat +
         " 0\n   1  11  1  0   3   1  4\n1 >0.5 0 0 0\n1 >1 0 0 0\n1 >2.5 0 0 0\nEOCF\n1 4 3 r "
         "F\n" +
         record(real_label(0.5), {1000, 50, 30, 40}) + record(real_label(1), {1000, 0, 0, 10}) +
         record(real_label(2.5), {1000, 20, 5, 10});
}

TEST_F(SummaryData, PerformancePointsTextsAndPointsLeftOut) {
  struct Case {
    const char* control;
    std::vector<std::string> tags;
  };
  const Case kCases[] = {
      {"DEV=TX\n", {"0.5", "1", "2.5"}},
      {"DEV=TX\nXUD=>half/>one/>more\n", {">half", ">one", ">more"}},
  };
  for (const Case& c : kCases) {
    out_.str("");
    ASSERT_EQ(run(thresholds_file(), c.control, kAllTraces, kPerformanceDisplay, 1003), 0)
        << out_.str();
    const PerformanceTrace& pt = state_->results.diagrams.performance[0];
    ASSERT_EQ(pt.entries.size(), 3u);
    std::vector<std::string> tags;
    for (const PerformanceEntry& e : pt.entries) tags.push_back(e.tag);
    EXPECT_EQ(tags, c.tags) << c.control;
    EXPECT_FALSE(pt.has_total);  // not a time series
    EXPECT_EQ(pt.left_out, 1);
    EXPECT_NE(out_.str().find(" TRACE # 1: 1 point(s) without a success ratio or detection left "
                              "out.\n"),
              std::string::npos)
        << out_.str();
    // The drawn trace: the two defined points, SR along x and POD along y.
    ASSERT_EQ(state_->traces.count[0], 2);
    EXPECT_FLOAT_EQ(state_->traces.X(0, 0), 0.6f);
    EXPECT_FLOAT_EQ(state_->traces.Y(0, 0), 0.75f);
    EXPECT_FLOAT_EQ(state_->traces.X(0, 1), 0.25f);
    EXPECT_FLOAT_EQ(state_->traces.Y(0, 1), 0.5f);
  }
}

TEST_F(SummaryData, PerformanceOfATimeSeriesAddsItsPoints) {
  // Two days: F, H, O of 10, 6, 8 and 30, 9, 12; all points: 40, 15, 20.  With a lag of 2 the
  // second day holds both days' sums, but the summed point counts each day once.
  const std::string file =
      "   1   2  0  0   1   1  1\n1 GLOBAL 0 0 0\n   1  10  0  0   1   1  1\n10 0 0 FHO 0\n"
      "   1   5  1  0   1   1  1\n5 2026110100 2026110200 0 0\nEOCF\n1 4 2 c F\n" +
      record("202611011200", {100, 10, 6, 8}) + record("202611021200", {100, 30, 9, 12});
  for (int lag : {0, 2}) {
    ASSERT_EQ(run(file, "DEV=TX\n", kAllTraces, kPerformanceDisplay, 1003, lag, 1), 0)
        << out_.str();
    const PerformanceTrace& pt = state_->results.diagrams.performance[0];
    ASSERT_EQ(pt.entries.size(), 2u) << lag;
    EXPECT_EQ(pt.entries[0].tag, "01/12Z");
    EXPECT_EQ(pt.entries[1].tag, "02/12Z");
    ASSERT_TRUE(pt.entries[1].point);
    EXPECT_DOUBLE_EQ(pt.entries[1].point->success_ratio, lag == 0 ? 9.0 / 30 : 15.0 / 40) << lag;
    ASSERT_TRUE(pt.has_total && pt.total) << lag;
    EXPECT_DOUBLE_EQ(pt.total->success_ratio, 15.0 / 40) << lag;
    EXPECT_DOUBLE_EQ(pt.total->pod, 15.0 / 20) << lag;
  }
}

TEST_F(SummaryData, PerformanceOfATimeSeriesKeepsNonstandardLabels) {
  // Labels that are not date-times: the reader warns and the points keep their labels as they
  // stand, not a day and hour cut out of them.
  const std::string file =
      "   1   2  0  0   1   1  1\n1 GLOBAL 0 0 0\n   1  10  0  0   1   1  1\n10 0 0 FHO 0\n"
      "   1   5  1  0   1   1  1\n5 2026110100 2026110200 0 0\nEOCF\n1 4 2 c F\n" +
      record("FIRST DAY OF RUN", {100, 10, 6, 8}) + record("2026ABCDEFGH", {100, 30, 9, 12});
  ASSERT_EQ(run(file, "DEV=TX\n", kAllTraces, kPerformanceDisplay, 1003, 0, 1), 0) << out_.str();
  const PerformanceTrace& pt = state_->results.diagrams.performance[0];
  ASSERT_EQ(pt.entries.size(), 2u) << out_.str();
  EXPECT_EQ(pt.entries[0].tag, "FIRSTDAYOFRUN");
  EXPECT_EQ(pt.entries[1].tag, "2026ABCDEFGH");
}

// SL1L2 traces at three forecast hours; a record of -1.0E31 is missing.
std::string sl1l2_file(const std::vector<std::vector<std::vector<double>>>& traces) {
  std::string text;
  const int n = static_cast<int>(traces.size());
  char buf[64];
  for (int t = 1; t <= n; ++t) {
    std::snprintf(buf, sizeof buf, "%4d%4d%3d%3d%4d%4d%3d\n", t, 10, 0, 0, 1, 1, 3);
    text += std::string(buf) + "10 0 0 SL1L2 0\n";
  }
  for (int t = 1; t <= n; ++t) {
    std::snprintf(buf, sizeof buf, "%4d%4d%3d%3d%4d%4d%3d\n", t, 3, 1, 0, 3, 1, 3);
    text += std::string(buf) + "1 12 0 0 0\n1 24 0 0 0\n1 36 0 0 0\n";
  }
  text += "EOCF\n";
  for (int t = 1; t <= n; ++t) {
    text += std::to_string(t) + " 6 3 r F\n";
    for (int k = 0; k < 3; ++k) text += record(real_label(12.0 * (k + 1)), traces[t - 1][k]);
  }
  return text;
}

TEST_F(SummaryData, TaylorStatisticsOfTheSumsPresent) {
  // Trace 1: f = 1, 2, 3 against o = 1, 3, 2 in the first two records (f = 1, o = 1; f = 2 and 3,
  // o = 3 and 2), the third missing: sd 0.8165 both, R = 0.5, marker at radius 1 and 60 degrees.
  // Trace 2: the pairs (2, 1), (0, 1) | (1, 2), (1, 0) | (1, 1): no covariance, R = 0, equal
  // spreads: the marker at (0, 1).  Trace 3: o = 2 throughout, no statistics.
  const double kMissing = -1.0e31;
  const std::string file = sl1l2_file({
      {{1, 1, 1, 1, 1, 1}, {2, 5, 5, 12, 13, 13}, {1, 1, kMissing, 1, 1, 1}},
      {{2, 2, 2, 2, 4, 2}, {2, 2, 2, 2, 2, 4}, {1, 1, 1, 1, 1, 1}},
      {{1, 1, 2, 2, 1, 4}, {1, 2, 2, 4, 4, 4}, {1, 3, 2, 6, 9, 4}},
  });
  ASSERT_EQ(run(file, "DEV=TX\n", kAllTraces, kTaylorDisplay, 1101), 0) << out_.str();
  const auto& t = state_->results.diagrams.taylor;
  ASSERT_TRUE(t[0]);
  EXPECT_NEAR(t[0]->correlation, 0.5, 1e-12);
  EXPECT_NEAR(t[0]->sd_ratio(), 1.0, 1e-12);
  EXPECT_EQ(t[0]->n, 3);
  EXPECT_NEAR(state_->traces.X(0, 0), 0.5, 1e-6);
  EXPECT_NEAR(state_->traces.Y(0, 0), std::sqrt(0.75), 1e-6);
  ASSERT_TRUE(t[1]);
  EXPECT_NEAR(t[1]->correlation, 0.0, 1e-12);
  EXPECT_NEAR(state_->traces.X(1, 0), 0.0, 1e-6);
  EXPECT_NEAR(state_->traces.Y(1, 0), 1.0, 1e-6);
  // Trace 3: o = 2 throughout.
  EXPECT_FALSE(t[2]);
  EXPECT_EQ(state_->traces.count[2], 0);
  EXPECT_NE(out_.str().find(" TRACE # 3 left out: no sums, or values that do not vary.\n"),
            std::string::npos)
      << out_.str();
  EXPECT_FALSE(taylor_half_circle(state_->results.diagrams));
}

TEST_F(SummaryData, DisplaysRefuseTracesTheyDoNotSuit) {
  struct Case {
    const char* what;
    int method, display, code;
    bool scalar;  // the file holds SL1L2 traces
    const char* line;
  };
  const Case kCases[] = {
      {"Taylor of FHO", kAllTraces, kTaylorDisplay, 1003, false,
       " The Taylor diagram (display 9) needs scalar partial sums (SL1L2); trace 1 is FHO.\n"},
      {"performance of SL1L2", kAllTraces, kPerformanceDisplay, 1101, true,
       " The performance diagram (display 8) needs FHO traces; trace 1 is SL1L2.\n"},
      {"difference", kDifference, kPerformanceDisplay, 1003, false,
       " The performance diagram (display 8) takes METHOD 1 or 2, not METHOD 3.\n"},
  };
  const std::string scalar =
      sl1l2_file({{{1, 1, 1, 1, 1, 1}, {1, 2, 2, 4, 4, 4}, {1, 3, 3, 9, 9, 9}},
                  {{1, 1, 1, 1, 1, 1}, {1, 2, 2, 4, 4, 4}, {1, 3, 3, 9, 9, 9}}});
  for (const Case& c : kCases) {
    out_.str("");
    EXPECT_EQ(run(c.scalar ? scalar : thresholds_file(), "DEV=TX\n", c.method, c.display, c.code),
              -3)
        << c.what;
    EXPECT_NE(out_.str().find(std::string(c.line) +
                              " -03 = Invalid user-specified over-ride plot type\n"),
              std::string::npos)
        << c.what << ": " << out_.str();
  }
  EXPECT_TRUE(is_scalar_sums_type("ESL1L2/20"));
  EXPECT_TRUE(is_scalar_sums_type("SAL1L2"));
  EXPECT_FALSE(is_scalar_sums_type("VSAL1L2"));
  EXPECT_FALSE(is_scalar_sums_type("EVL1L2/20"));
  EXPECT_FALSE(is_scalar_sums_type("FHO"));
}

}  // namespace
}  // namespace kor::plot
