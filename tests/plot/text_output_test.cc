#include "plot/text_output.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "plot/kinds.h"
#include "util/text.h"

namespace kor::plot {
namespace {

namespace fs = std::filesystem;

TEST(LongText, BreaksAfterTheLastBlankThatFits) {
  struct Case {
    const char* name;
    int width, indent;
    const char* text;
    const char* out;
  };
  constexpr Case kCases[] = {
      {"indented", 10, 2, "aaa bbb ccc ddd", "  aaa bbb\n  ccc ddd\n"},
      {"centred", 10, -1, "aaa bbb ccc ddd", " aaa bbb\n ccc ddd\n"},
      {"blank just past the width", 7, 0, "aaa bbb ccc", "aaa bbb\nccc\n"},
      {"word longer than the width is cut", 5, 1, "abcdefghijkl", " abcde\n fghij\n kl\n"},
      {"short text centred", 72, -1, "TITLE", "                                 TITLE\n"},
      {"blank text writes nothing", 20, 0, "   ", ""},
  };
  for (const Case& c : kCases) {
    std::ostringstream os;
    EXPECT_EQ(write_long_text(os, c.width, c.indent, c.text), 0) << c.name;
    EXPECT_EQ(os.str(), c.out) << c.name;
  }
  // The width is capped at 128.
  std::ostringstream os;
  ASSERT_EQ(write_long_text(os, 500, 0, std::string(130, 'x')), 0);
  EXPECT_EQ(os.str(), std::string(128, 'x') + "\nxx\n");
  // A stream that cannot be written gives -23.
  std::ofstream closed;
  EXPECT_EQ(write_long_text(closed, 10, 0, "abc"), -23);
}

TEST(TraceStats, MomentsMedianAndMode) {
  TraceData t;
  t.y = {1, 2, -9999, 3, 4, 5, -9999.05};
  t.x.assign(t.y.size(), 0.0);
  t.points = static_cast<int>(t.y.size());
  const TraceStats st = trace_stats(t);
  EXPECT_EQ(st.n, 5);
  EXPECT_EQ(st.bins, 5);  // 5 * nint(log10 5)
  EXPECT_DOUBLE_EQ(st.mean, 3.0);
  EXPECT_DOUBLE_EQ(st.variance, 2.0);
  EXPECT_NEAR(st.skewness, 0.0, 1e-12);
  EXPECT_NEAR(st.kurtosis, 34.0 / 20.0, 1e-12);  // sum (v-m)^4 / (n s^4)
  EXPECT_NEAR(st.mode, 1.4, 1e-12);              // first of five equal bins of width 0.8
  EXPECT_NEAR(st.median, 3.0, 1e-12);            // third bin reaches half
  EXPECT_NEAR(st.skew_mode, 1.6 / std::sqrt(2.0), 1e-12);
}

TEST(TraceStats, BinCountsFollowTheSampleSize) {
  struct Case {
    int n;
    int bins;
  };
  constexpr Case kCases[] = {{100, 10}, {5, 5}, {2, 3}, {1, 3}, {31, 5}, {32, 10}};
  for (const Case& c : kCases) {
    TraceData t;
    for (int i = 0; i < c.n; ++i) t.y.push_back(i);
    t.x = t.y;
    t.points = c.n;
    EXPECT_EQ(trace_stats(t).bins, c.bins) << c.n;
  }
}

TEST(TraceStats, ConstantTraceHasNoShape) {
  TraceData t;
  t.y = {2, 2, 2};
  t.x = t.y;
  t.points = 3;
  const TraceStats st = trace_stats(t);
  EXPECT_EQ(st.std_dev, 0.0);
  EXPECT_EQ(st.skewness, -9999.0);
  EXPECT_EQ(st.skew_mode, -9999.0);
  EXPECT_EQ(st.mode, 2.0);
}

class OutputDir : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("kor_plot_text_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    files_.output_dir = dir_.string();
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string read(const std::string& name) {
    std::ifstream in(dir_ / name);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }
  fs::path dir_;
  PlotLayout layout_;
  PlotFiles files_;
};

TEST_F(OutputDir, StatisticsPage) {
  layout_.title = "MY TITLE";
  layout_.trace_labels[0] = "Model A";
  layout_.trace_labels[1] = "Model B";
  TraceData a;
  a.y = {1, 2, 3, 4, 5};
  a.x = a.y;
  a.points = 5;
  TraceData b;
  b.y = {-9999, -9999};
  b.x = b.y;
  b.points = 2;
  std::ostringstream out;
  EXPECT_EQ(write_stats_page(layout_, files_.output_path("kor_statspage.txt"), {a, b}, out), 0);
  const std::string expected =
      " \n" + std::string(36, ' ') + "MY TITLE\n\n" + std::string(35, ' ') + "TRACE #  1\n" +
      std::string(37, ' ') + "Model A\n \n" +
      "       N         MAX          MIN        MEDIAN        MODE      SKEW (MODE)\n"
      "          5  5.00000E+00  1.00000E+00  3.00000E+00  1.40000E+00  1.13137E+00\n \n"
      "       N        MEAN        STD DEV     VARIANCE     SKEWNESS     KURTOSIS\n"
      "          5  3.00000E+00  1.41421E+00  2.00000E+00  0.00000E+00  1.70000E+00\n \n"
      "\n" +
      std::string(35, ' ') + "TRACE #  2\n" + std::string(37, ' ') +
      "Model B\n \n      TRACE DATA IS ALL MISSING.\n \n";
  EXPECT_EQ(out.str(), expected);
  EXPECT_EQ(read("kor_statspage.txt"), expected);
}

TEST_F(OutputDir, LongTitleInTwoCentredPieces) {
  // 100 characters: the first piece ends at the last blank within 72 characters.
  layout_.title = std::string(60, 'a') + " " + std::string(20, 'b') + " " + std::string(18, 'c');
  TraceData a;
  a.y = {1.0};
  a.x = a.y;
  a.points = 1;
  std::ostringstream out;
  EXPECT_EQ(write_stats_page(layout_, files_.output_path("kor_statspage.txt"), {a}, out), 0);
  std::istringstream lines(out.str());
  std::string first, second, third;
  std::getline(lines, first);
  std::getline(lines, second);
  std::getline(lines, third);
  EXPECT_EQ(second, std::string(10, ' ') + std::string(60, 'a'));
  EXPECT_EQ(third, std::string(21, ' ') + std::string(20, 'b') + " " + std::string(18, 'c'));
}

TEST(ScoreTokens, ReplacedWithFourDecimals) {
  std::array<double, kSummaryValues> summary{0.25, -9999.0, 0.125, 1.0, 0.5, 2.0};
  EXPECT_EQ(substitute_score_tokens("BS=$BSC BSS=$BSK REL=$REL", 7, summary),
            "BS=0.2500 BSS=$BSK REL=0.1250");
  EXPECT_EQ(substitute_score_tokens("$RPS $POT $UNC", 8, summary), "0.2500 2.0000 0.5000");
  EXPECT_EQ(substitute_score_tokens("$POT", 7, summary), "$POT");
  EXPECT_EQ(substitute_score_tokens("$BSC", 1, summary), "$BSC");
}

TEST(TextDump, PointsWithTheirLabels) {
  PlotLayout s;
  s.title = "DUMP";
  s.trace_labels[0] = "ANALYSIS";
  s.x_title = "X";
  s.y_title = "Y";
  MergedAxis merged;
  merged.count = 2;
  merged.position = {1.0, 2.0};
  merged.label = {"THRESHOLD A", "THRESHOLD B"};
  merged.tag = {1, 2};
  TextDumpInput in;
  TraceData t;
  t.x = {1.000001, 2.5};
  t.y = {0.5, -9999.0};
  t.points = 2;
  in.traces = {t};
  in.label_type = 'c';
  in.merged = &merged;
  std::ostringstream os;
  ASSERT_EQ(PLT_TEXT(s, in, os), 0);
  const std::string expected =
      " \n" + std::string(24, ' ') + "************************\n \n" + std::string(34, ' ') +
      "DUMP\n \n    -----------------------\n      TRACE NUMBER =  1\n \n      ANALYSIS\n \n"
      "        X AXIS LABEL = X\n \n        Y AXIS LABEL = Y\n \n"
      "        X POSITION            X AXIS LABEL           VALUE OF Y\n"
      "         1.00000E+00    THRESHOLD A" +
      std::string(19, ' ') + "5.00000E-01\n" + "         2.50000E+00           MISSING" +
      std::string(15, ' ') + "-9.99900E+03\n";
  EXPECT_EQ(os.str(), expected);

  // Label type "r" writes the merged value, or the abscissa itself when it has none.
  in.label_type = 'r';
  in.merged_values = {0.1, 0.2};
  std::ostringstream os2;
  ASSERT_EQ(PLT_TEXT(s, in, os2), 0);
  EXPECT_NE(os2.str().find("         1.00000E+00" + std::string(17, ' ') +
                           "1.00000E-01      5.00000E-01\n"),
            std::string::npos);
  EXPECT_NE(os2.str().find("         2.50000E+00" + std::string(17, ' ') +
                           "2.50000E+00     -9.99900E+03\n"),
            std::string::npos);

  // Without an open dump file.
  TextDevice closed;
  EXPECT_EQ(PLT_TEXT(s, in, closed), -22);
}

// The lines of a dump after its trace header (from the header of its table on).
std::vector<std::string> table_lines(const std::string& dump, const std::string& first) {
  std::vector<std::string> out;
  std::istringstream lines(dump);
  bool on = false;
  for (std::string line; std::getline(lines, line);) {
    on = on || line.rfind(first, 0) == 0;
    if (on) out.push_back(line);
  }
  return out;
}

// "(1PE13.5)" and "(1PE12.5)" of a value, as the dump writes them.
std::string e13(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%13.5E", v);
  return buf;
}
std::string e12(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%12.5E", v);
  return buf;
}

TEST(TextDump, SummaryDiagramTables) {
  PlotLayout s;
  MergedAxis merged;
  merged.count = 2;
  merged.position = {1.0, 2.0};
  merged.label = {"THR A", "THR B"};
  merged.tag = {1, 2};
  DiagramResults d;
  TextDumpInput in;
  TraceData t;
  t.points = 0;
  in.traces = {t};
  in.label_type = 'c';
  in.merged = &merged;
  in.diagrams = &d;

  // Performance diagram: the worked table F = 50, H = 30, O = 40 at the first abscissa, a point
  // without a success ratio at the second, and the summed point of a time series.
  in.final_type = kPerformanceDiagram;
  d.performance[0].entries = {{1.0, "A", metrics::performance_point(50, 30, 40)}, {2.0, "B", {}}};
  d.performance[0].has_total = true;
  d.performance[0].total = metrics::performance_point(100, 30, 40);
  std::ostringstream perf;
  ASSERT_EQ(PLT_TEXT(s, in, perf), 0);
  const std::string pad = std::string(19, ' ');
  const std::vector<std::string> want_perf = {
      "        X POSITION            X AXIS LABEL       SUCCESS RATIO           POD           CSI"
      "          BIAS",
      "         1.00000E+00    THR A" + pad + "  " + e12(0.6) + "  " + e12(0.75) + "  " + e12(0.5) +
          "  " + e12(1.25),
      "         2.00000E+00    THR B" + pad + "  " + e12(-9999) + "  " + e12(-9999) + "  " +
          e12(-9999) + "  " + e12(-9999),
      std::string(24, ' ') + "ALL POINTS" + std::string(14, ' ') + "  " + e12(0.3) + "  " +
          e12(0.75) + "  " + e12(30.0 / 110) + "  " + e12(2.5),
  };
  EXPECT_EQ(table_lines(perf.str(), "        X POSITION"), want_perf);

  // Taylor diagram: f = 1, 2, 3 against o = 1, 3, 2.
  in.final_type = kTaylorDiagram;
  d.taylor[0] = metrics::taylor_statistics(3, 6, 6, 13, 14, 14);
  std::ostringstream taylor;
  ASSERT_EQ(PLT_TEXT(s, in, taylor), 0);
  const double sd = std::sqrt(2.0 / 3);
  const std::vector<std::string> want_taylor = {
      "          SAMPLE SIZE   FORECAST SD   OBSERVED SD   CORRELATION  CENTRED RMSD   FCST/OBS "
      "SD  CRMSD/OBS SD",
      "        " + e13(3) + " " + e13(sd) + " " + e13(sd) + " " + e13(0.5) + " " + e13(sd) + " " +
          e13(1) + " " + e13(1)};
  EXPECT_EQ(table_lines(taylor.str(), "          SAMPLE SIZE"), want_taylor);

  // ROC diagram with intervals asked for: after the points, the area of 20 events and 80
  // non-events at 1/2 (standard error sqrt(101 / 19200)) and its 95 % interval.
  in.final_type = kRocDiagram;
  d.ci_level = 0.95;
  d.roc[0].area = 0.5;
  d.roc[0].events = 20;
  d.roc[0].non_events = 80;
  roc_confidence(d.roc[0], 0.95);
  std::ostringstream roc;
  ASSERT_EQ(PLT_TEXT(s, in, roc), 0);
  const double se = std::sqrt(101.0 / 19200), half = 1.959963984540054 * se;
  const std::vector<std::string> want_roc = {
      "        CONFIDENCE LEVEL = 0.9500",
      "             ROC AREA     STD ERROR   LOWER BOUND   UPPER BOUND        EVENTS    NON-EVENTS",
      "        " + e13(0.5) + " " + e13(se) + " " + e13(0.5 - half) + " " + e13(0.5 + half) + " " +
          e13(20) + " " + e13(80)};
  EXPECT_EQ(table_lines(roc.str(), "        CONFIDENCE"), want_roc);

  // Attribute diagram: a reliability trace (1) and its frequency companion (2), whose points
  // are followed by the bins of trace 1.
  in.final_type = kAttributeDiagram;
  in.traces = {t, t};
  d.reliability[0] = {{0.25, 263, 81, {}}, {0.75, 0, 0, {}}};
  reliability_confidence(d.reliability[0], 0.95);
  const metrics::Interval w = *d.reliability[0][0].interval;
  std::ostringstream attr;
  ASSERT_EQ(PLT_TEXT(s, in, attr), 0);
  const std::vector<std::string> want_attr = {
      "        CONFIDENCE LEVEL = 0.9500",
      "          PROBABILITY     FORECASTS OBS FREQUENCY   LOWER BOUND   UPPER BOUND",
      "        " + e13(0.25) + " " + e13(263) + " " + e13(81.0 / 263) + " " + e13(w.lower) + " " +
          e13(w.upper),
      "        " + e13(0.75) + " " + e13(0) + " " + e13(-9999) + " " + e13(-9999) + " " +
          e13(-9999),
  };
  EXPECT_EQ(table_lines(attr.str(), "        CONFIDENCE"), want_attr);
  EXPECT_EQ(attr.str().find("CONFIDENCE"), attr.str().rfind("CONFIDENCE"));  // trace 2 only
  EXPECT_GT(attr.str().find("CONFIDENCE"), attr.str().find("TRACE NUMBER =  2"));

  // Without a level the ROC and attribute dumps are as they always were.
  d.ci_level = 0;
  std::ostringstream plain;
  ASSERT_EQ(PLT_TEXT(s, in, plain), 0);
  EXPECT_EQ(plain.str().find("CONFIDENCE"), std::string::npos);
}

// The label columns (24 characters after the 20 of the abscissa and 4 blanks) of the dump's point
// lines, in order.
std::vector<std::string> label_column(const std::string& dump) {
  std::vector<std::string> labels;
  std::istringstream lines(dump);
  const std::string header = "        X POSITION            X AXIS LABEL           VALUE OF Y";
  bool in_points = false;
  for (std::string line; std::getline(lines, line);) {
    if (line == header) {
      in_points = true;
    } else if (in_points && line.size() == 65) {
      labels.push_back(std::string(util::rtrim(util::ST_LJST(line.substr(24, 24)))));
    } else {
      in_points = false;
    }
  }
  return labels;
}

TEST(TextDump, LabelOfTheLowestIndexWithinTheTolerance) {
  PlotLayout s;
  MergedAxis merged;
  const double nan = std::nan("");
  merged.position = {5.0, 1.0, 1.000003, 0.999995, 3.0, nan, 1.0};
  merged.label = {"A", "B", "C", "D", "E", "F", "G"};
  merged.count = 7;
  struct Case {
    double x;
    const char* label;
  };
  // By hand: |x - position| < 1e-5, the lowest index among the entries that pass.
  const Case kCases[] = {
      {1.0, "B"},       // B, C, D and G pass
      {1.000008, "B"},  // B (8e-6), C (5e-6), G; not D (1.3e-5)
      {0.999989, "D"},  // D (6e-6); not B and G (1.1e-5)
      {1.000012, "C"},  // C (9e-6) only
      {3.0, "E"},      {5.000009, "A"}, {7.0, "MISSING"}, {nan, "MISSING"},
  };
  TextDumpInput in;
  TraceData t;
  for (const Case& c : kCases) {
    t.x.push_back(c.x);
    t.y.push_back(1.0);
  }
  t.points = static_cast<int>(t.x.size());
  in.traces = {t, t};  // the second trace finds the same labels again
  in.label_type = 'c';
  in.merged = &merged;
  std::ostringstream os;
  ASSERT_EQ(PLT_TEXT(s, in, os), 0);
  const std::vector<std::string> labels = label_column(os.str());
  ASSERT_EQ(labels.size(), 2 * std::size(kCases));
  for (std::size_t i = 0; i < labels.size(); ++i) {
    EXPECT_EQ(labels[i], kCases[i % std::size(kCases)].label) << "point " << i;
  }

  // Real labels: an entry without a merged value shows each point's own abscissa, even when two
  // points find the same entry.
  in.label_type = 'r';
  in.merged_values = {0.25};
  TraceData r;
  r.x = {5.0, 1.0, 1.000009, 5.000001};
  r.y = {1.0, 1.0, 1.0, 1.0};
  r.points = 4;
  in.traces = {r};
  std::ostringstream os2;
  ASSERT_EQ(PLT_TEXT(s, in, os2), 0);
  const std::vector<std::string> expected = {"2.50000E-01", "1.00000E+00", "1.00001E+00",
                                             "2.50000E-01"};
  EXPECT_EQ(label_column(os2.str()), expected);
}

TEST(BoxWhiskerLines, ZeroRequestAndObjects) {
  PlotSettings s;
  std::ostringstream os;
  BoxWhiskerTables t;
  ASSERT_EQ(write_bxw_objects(os, s, 1, 0, {}, {}, t, 1.0), 0);
  EXPECT_EQ(os.str(), " **        ZERO COLOR NUMBER = NO BXWSKR OBJECTS\n");

  // Object 2 reads the second result's entries of the tables.
  s.bxw_request[1] = 1;
  s.bxw_print = true;
  t.clear();
  const float minus_lower[] = {0.5, 0.5, -9999}, upper[] = {1.0, 1.0, 1.0},
              lower_whisker[] = {0.25, -9999, 0}, upper_whisker[] = {0.5, 0.5, 0};
  for (int i = 0; i < 3; ++i) {
    const std::size_t at = BoxWhiskerTables::at(1, i);
    t.minus_lower[at] = minus_lower[i];
    t.upper[at] = upper[i];
    t.lower_whisker[at] = lower_whisker[i];
    t.upper_whisker[at] = upper_whisker[i];
  }
  std::ostringstream os2;
  ASSERT_EQ(write_bxw_objects(os2, s, 2, 3, {10, 10, 10}, {11, 12, 13}, t, 2.0), 0);
  // Scaled by 2: box 10-1 to 10+2, whiskers a further 0.5 below and 1 above.
  EXPECT_EQ(os2.str(),
            "  1  1.00000E+01  1.10000E+01  8.50000E+00  9.00000E+00  1.20000E+01  1.30000E+01\n"
            "  2  1.00000E+01  1.20000E+01 -9.99900E+03  9.00000E+00  1.20000E+01 -9.99900E+03\n"
            "  3 -9.99900E+03 -9.99900E+03 -9.99900E+03 -9.99900E+03 -9.99900E+03 -9.99900E+03\n");
}

TEST(ColourListing, Columns) {
  EXPECT_EQ(colour_listing_header(), "  COLOR  COLOR NAME        RED  GREEN  BLUE  X COLOR NAME");
  EXPECT_EQ(colour_listing_line(12, "DARK GREEN", 0, 100, 0, "darkgreen"),
            "     12  DARK GREEN          0    100     0  darkgreen                       ");
  EXPECT_EQ(colour_listing_line(1, " ", 255, 255, 255, ""),
            "      1  redefined         255    255   255                                  ");
}

}  // namespace
}  // namespace kor::plot
