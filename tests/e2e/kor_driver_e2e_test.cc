// kor run end to end through the plot driver: the statistics page, the text dump of the text
// device, differences, the RPF histogram, diagrams, the significance report, the box-whisker text
// and the driver's return codes.  Expected values are worked out from the formulas that wrote the
// example (examples/make_example.py) or by hand from the small files of tests/data.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "resample/ucd_writer.h"
#include "run_program.h"

namespace kor::e2e {
namespace {

const std::string kMap2 =
    "  Graph rel trc # =  1 Plot rel trc # =  1 Orig trc # =  21\n"
    "  Graph rel trc # =  2 Plot rel trc # =  2 Orig trc # =  22\n";
const std::string kMap3 =
    "  Graph rel trc # =  1 Plot rel trc # =  1 Orig trc # =  31\n"
    "  Graph rel trc # =  2 Plot rel trc # =  2 Orig trc # =  32\n";

// "(1PE13.5)" of a value, as the dump writes it.
std::string e13(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%13.5E", v);
  return buf;
}

// A dump row: x, a 24-column label, y.
std::string row(double x, const std::string& label, double y) {
  std::string l = label;
  l.resize(24, ' ');
  return "       " + e13(x) + "    " + l + "    " + e13(y);
}

std::string real_label(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%24.5E", v);
  return buf;
}

class KorDriver : public ::testing::Test {
 protected:
  KorDriver() : dir_("driver") {
    dir_.copy_in(std::string(KOR_EXAMPLES) + "/example.ctl", "ex.ctl");
    dir_.copy_in(std::string(KOR_EXAMPLES) + "/example.trc", "ex.trc");
    dir_.copy_in(std::string(KOR_TEST_DATA) + "/stats/prob.trc", "prob.trc");
  }
  ProgramRun run(const std::string& input) { return run_program(KOR_PROGRAM, dir_, input); }
  bool has(const std::string& file, const std::string& line) {
    const std::string text = dir_.read(file);
    return text.find(line) != std::string::npos;
  }
  ScratchDir dir_;
};

// The bias of plot 1 (FHO time series) at day d: 1.10 + 0.05 cos(d/3) for the global model.
double global_bias(int day) { return 1.10 + 0.05 * std::cos(day / 3.0); }
double regional_bias(int day) { return 0.92 + 0.05 * std::cos(day / 3.0); }

TEST_F(KorDriver, TimeSeriesTextDump) {
  const ProgramRun r = run("ex.ctl\nex.trc\n1 1 1 0\n0\n1001\n0 0\n");
  EXPECT_EQ(r.out, kBanner + kMap1);
  EXPECT_EQ(r.err, "");
  const std::string lines[] = {
      "                   STAT=FHO PARAM=APCP/24 V_RGN=CONUS",
      "      TRACE NUMBER =  1",
      "      MODEL=GLOBAL",
      "        X AXIS LABEL = TIME (YYMMDD/HHNN)",
      "        Y AXIS LABEL = BIAS_SCORE",
      "        X POSITION            X AXIS LABEL           VALUE OF Y",
      row(0, "202611011200", global_bias(1)),
      row(29, "202611301200", global_bias(30)),
      "      MODEL=REGIONAL",
      row(6, "202611071200", regional_bias(7)),
      // The regional model lacks 8, 9 and 20 November: fill-in points with missing values.
      row(7, "202611081200", -9999),
      row(8, "202611091200", -9999),
      row(19, "202611201200", -9999),
      row(20, "202611211200", regional_bias(21)),
  };
  for (const std::string& l : lines) EXPECT_TRUE(has("txt.dmp", l + "\n")) << l;
  EXPECT_EQ(dir_.read("txt.dmp_bxw"), "");  // no resampling requested
}

TEST_F(KorDriver, StatisticsPageOnDisplayZero) {
  const ProgramRun r = run("ex.ctl\nex.trc\n1 1 0 0\n0\n1001\n0 0\n");
  ASSERT_EQ(r.out.rfind(kBanner + kMap1, 0), 0u);
  const std::string page = r.out.substr(kBanner.size() + kMap1.size());
  EXPECT_EQ(dir_.read("kor_statspage.txt"), page);  // every line also on standard output
  // Trace 1: 30 days; trace 2: 27.  Maximum and minimum from the bias formula.
  double mx = -1e9, mn = 1e9, sum = 0;
  for (int d = 1; d <= 30; ++d) {
    mx = std::max(mx, global_bias(d));
    mn = std::min(mn, global_bias(d));
    sum += global_bias(d);
  }
  char first[128];
  std::snprintf(first, sizeof first, " %10d %12.5E %12.5E", 30, mx, mn);
  EXPECT_NE(page.find(first), std::string::npos) << first;
  char mean[64];
  std::snprintf(mean, sizeof mean, " %10d %12.5E", 30, sum / 30);
  EXPECT_NE(page.find(mean), std::string::npos) << mean;
  EXPECT_NE(page.find("\n         27 "), std::string::npos);
  EXPECT_NE(page.find("                                   TRACE #  2\n"), std::string::npos);
  EXPECT_FALSE(has("kor_statspage.txt", "TRACE NUMBER"));
}

TEST_F(KorDriver, SmoothingAndLags) {
  // Centred window of 3: the first day averages days 1 and 2.
  run("ex.ctl\nex.trc\n1 1 1 0\n0\n1001\n3 0\n");
  EXPECT_TRUE(has("txt.dmp", row(0, "202611011200", (global_bias(1) + global_bias(2)) / 2) + "\n"));
  EXPECT_TRUE(
      has("txt.dmp",
          row(1, "202611021200", (global_bias(1) + global_bias(2) + global_bias(3)) / 3) + "\n"));
  // Trailing window of 2 on the regional model: day 10 follows a missing day and keeps its value.
  run("ex.ctl\nex.trc\n1 1 1 0\n0\n1001\n2 -1\n");
  EXPECT_TRUE(has("txt.dmp", row(9, "202611101200", regional_bias(10)) + "\n"));
  // The largest leading window: every day averages itself and all later days of the trace.
  run("ex.ctl\nex.trc\n1 1 1 0\n0\n1001\n2147483647 1\n");
  double from_day3 = 0.0;
  for (int d = 3; d <= 30; ++d) from_day3 += global_bias(d);
  EXPECT_TRUE(has("txt.dmp", row(2, "202611031200", from_day3 / 28) + "\n"));
  EXPECT_TRUE(has("txt.dmp", row(29, "202611301200", global_bias(30)) + "\n"));
  // Lag 2 on the thresholds plot: each point sums itself and the point before.  All counts are
  // equal, so the bias is (f1 + f2) / (o1 + o2) with o = 0.3 exp(-0.12 x), f = 1.1 (1 + 0.02 k) o.
  const ProgramRun r = run("ex.ctl\nex.trc\n2 1 1 2\n0\n1001\n0 0\n");
  EXPECT_EQ(r.out, kBanner + kMap2);
  const double o1 = 0.3 * std::exp(-0.12 * 0.254), o2 = 0.3 * std::exp(-0.12 * 2.54);
  const double lagged = (1.1 * o1 + 1.1 * 1.02 * o2) / (o1 + o2);
  EXPECT_TRUE(has("txt.dmp", row(2, real_label(2.54), lagged) + "\n"));
}

TEST_F(KorDriver, ThresholdsAndSkillScoreTraces) {
  // FHO against thresholds (binned data, real labels): bias 1.10 (1 + 0.02 k).
  ProgramRun r = run("ex.ctl\nex.trc\n2 2 1 0\n1 2\n1001 1001\n0 0\n");
  EXPECT_EQ(r.out, kBanner + kMap2);
  EXPECT_TRUE(has("txt.dmp", row(1, real_label(0.254), 1.10) + "\n"));
  EXPECT_TRUE(has("txt.dmp", row(5, real_label(25.4), 1.10 * 1.08) + "\n"));
  EXPECT_TRUE(has("txt.dmp", row(3, real_label(6.35), 0.92 * 1.04) + "\n"));
  EXPECT_TRUE(has("txt.dmp", "        X AXIS LABEL = THRSH\n"));
  // SL1L2 skill-score plot: the scalar bias err (0.5 + h/72) of both models.
  r = run("ex.ctl\nex.trc\n3 1 1 0\n0\n1101\n0 0\n");
  EXPECT_EQ(r.out, kBanner + kMap3);
  EXPECT_TRUE(has("txt.dmp", row(1, "     12.00", 0.25 * (0.5 + 12 / 72.0)) + "\n"));
  EXPECT_TRUE(has("txt.dmp", row(6, "     72.00", 0.40 * (0.5 + 72 / 72.0)) + "\n"));
  EXPECT_TRUE(has("txt.dmp", "        Y AXIS LABEL = SCALR_BIAS\n"));
}

struct DiffCase {
  const char* what;
  int method;
  double (*value)(int hour);
  const char* y_title;
};

TEST_F(KorDriver, DifferenceMethods) {
  // Global bias 0.25 (0.5 + h/72), regional 0.40 (0.5 + h/72); the perfect bias is 0.
  const DiffCase kCases[] = {
      {"difference", 3, [](int h) { return 0.15 * (0.5 + h / 72.0); }, "SCALR_BIAS DIFFERENCE"},
      {"percentage difference", 4, [](int) { return 60.0; }, "SCALR_BIAS % DIFFERENCE"},
      {"skill score", 5, [](int) { return -0.6; }, "SCALR_BIAS SKILL SCORE"},
  };
  for (const DiffCase& c : kCases) {
    const ProgramRun r =
        run("ex.ctl\nex.trc\n3 " + std::to_string(c.method) + " 1 0\n1 2\n1101\n0 0\n");
    EXPECT_EQ(r.out, kBanner + kMap3) << c.what;
    const std::string dump = dir_.read("txt.dmp");
    EXPECT_EQ(dump.find("TRACE NUMBER =  2"), std::string::npos) << c.what;
    EXPECT_NE(dump.find("      MODEL=REGIONAL - MODEL=GLOBAL\n"), std::string::npos) << c.what;
    EXPECT_NE(dump.find(std::string("Y AXIS LABEL = ") + c.y_title + "\n"), std::string::npos)
        << c.what;
    for (int k = 0; k < 6; ++k) {
      const int h = 12 * (k + 1);
      char label[16];
      std::snprintf(label, sizeof label, "     %d.00", h);
      EXPECT_NE(dump.find(row(k + 1, label, c.value(h))), std::string::npos) << c.what << h;
    }
  }
}

TEST_F(KorDriver, RankOfTheFirstTraceAsRpfHistogram) {
  // Trace 1's bias lies above trace 2's at every threshold: rank 2 - 1 = 1.
  const ProgramRun r = run("ex.ctl\nex.trc\n2 2 3 0\n1 2\n1001 1001\n0 0\n");
  EXPECT_EQ(r.out, kBanner + kMap2);
  const std::string dump = dir_.read("txt.dmp");
  EXPECT_EQ(dump.find("TRACE NUMBER =  2"), std::string::npos);
  for (int k = 0; k < 5; ++k) {
    const double x[] = {0.254, 2.54, 6.35, 12.7, 25.4};
    EXPECT_NE(dump.find(row(k + 1, real_label(x[k]), 1.0)), std::string::npos) << k;
  }
}

TEST_F(KorDriver, SignificanceReport) {
  const ProgramRun r = run("ex.ctl\nex.trc\n3 6 1 0\n1 2\n1101\n0 0\n");
  EXPECT_EQ(r.out, kBanner + kMap3 + " \n   See file kor_sig_test1.txt for output.\n \n");
  // d = -0.15 (0.5 + h/72): negative mean, and a straight line gives lag-1 correlation 1 -> 0.95.
  double sum = 0, sq = 0;
  for (int h = 12; h <= 72; h += 12) {
    const float d =
        static_cast<float>(0.25 * (0.5 + h / 72.0)) - static_cast<float>(0.40 * (0.5 + h / 72.0));
    sum += d;
    sq += static_cast<double>(d) * d;
  }
  const double mean = sum / 6, var = sq / 6 - mean * mean;
  const double zraw = mean / std::sqrt(var / 6);
  const std::string report = dir_.read("kor_sig_test1.txt");
  const auto at = report.find(" ZRAW = ");
  ASSERT_NE(at, std::string::npos) << report;
  EXPECT_NEAR(std::stod(report.substr(at + 8, 13)), zraw, 1e-4 * std::fabs(zraw));
  EXPECT_NE(report.find("Alternative Hypothesis (trace1 < trace2):"), std::string::npos);
  EXPECT_NE(report.find("Lag1 Corr =  0.950000"), std::string::npos);
  EXPECT_NE(report.find("12.00 TO 72.00"), std::string::npos);
  EXPECT_NE(report.find("MODEL=GLOBAL SCALR_BIAS"), std::string::npos);
}

TEST_F(KorDriver, AttributeAndCrpsReliabilityDiagrams) {
  // PBS_ABC with two samples (categories 0, .25, .75, 1): forecasts 30+10, 20+10, 10+10, 5+2 and
  // events 8+3, 12+6, 9+9 ... of the two points summed.
  ProgramRun r = run("ex.ctl\nprob.trc\n1 1 6 0\n0\n1360\n0 0\n");
  EXPECT_NE(r.out.find("  Graph rel trc # =  1 Plot rel trc # =  1 Orig trc # =  101\n"),
            std::string::npos);
  std::string dump = dir_.read("txt.dmp");
  EXPECT_NE(dump.find("      TRACE NUMBER =  2\n"), std::string::npos);  // the frequency companion
  EXPECT_NE(dump.find("RELIABILITY\n"), std::string::npos);
  EXPECT_NE(dump.find("FRCST USE FREQUENCY\n"), std::string::npos);
  EXPECT_NE(dump.find("X AXIS LABEL = FORECAST PROBABILITY\n"), std::string::npos);
  EXPECT_NE(dump.find("Y AXIS LABEL = OBSERVED FREQUENCY\n"), std::string::npos);
  // The CRPS calibration diagram.
  r = run("ex.ctl\nprob.trc\n2 1 7 0\n0\n2307\n0 0\n");
  EXPECT_NE(r.out.find("Orig trc # =  201\n"), std::string::npos);
  dump = dir_.read("txt.dmp");
  EXPECT_NE(dump.find("X AXIS LABEL = FORECAST QUANTILE\n"), std::string::npos);
  EXPECT_NE(dump.find("Y AXIS LABEL = OBS CUMULTV FRQNCY\n"), std::string::npos);
  EXPECT_EQ(dump.find("TRACE NUMBER =  2"), std::string::npos);
}

TEST_F(KorDriver, RankHistogramTracesWithDifferentCounts) {
  // Two rank-histogram traces whose member counts differ: the count comparison warns and both are
  // written; the abscissa is the analysis rank.
  const ProgramRun r = run("ex.ctl\nprob.trc\n3 1 1 0\n0\n1600\n0 0\n");
  EXPECT_NE(r.out.find(" PLT_DRIV\n +03 = Warning:  counts for bins or thresholds differ\n"),
            std::string::npos)
      << r.out;
  const std::string dump = dir_.read("txt.dmp");
  EXPECT_NE(dump.find("X AXIS LABEL = ANALYSIS RANK W.R.T. ENSEMBLE\n"), std::string::npos);
  // RHNT bins of trace 301 as worked out for the statistics engine: .15 .2 .2 .15 .3.
  EXPECT_NE(dump.find(row(5, "05", 0.3)), std::string::npos);
  EXPECT_NE(dump.find("TRACE NUMBER =  2"), std::string::npos);
}

struct CodeCase {
  const char* what;
  const char* ctl;  // control file text, or null for the example's
  const char* input;
  const char* out;  // standard output after the banner
};

TEST_F(KorDriver, ReturnCodesFromFilesAndDialogue) {
  const std::string m1 = kMap1, m3 = kMap3;
  const std::string long_text = "DEV = TX|" + std::string(125, 'n') + ".dmp\n";
  const std::string long_picture = "DEV = PNG|" + std::string(69, 'p') + ".png\n";
  const CodeCase kCases[] = {
      {"trace number outside the plot", nullptr, "1 2 1 0\n5\n1001\n0 0\n",
       "  Graph rel trc # =  1 Plot rel trc # =  5 Orig trc # =  -9999\n"
       " TRACE #01 error from RDTD_TRC:\n -37 = invalid trace number in RDTD_TLB\n"
       " -06 = error in RDTD_TRC\n"},
      {"attribute code without display 6", nullptr, "1 1 1 0\n0\n1360\n0 0\n",
       "  Graph rel trc # =  1 Plot rel trc # =  1 Orig trc # =  11\n"
       " TRACE #01 error from RDTD_TRC:\n -60 = Computational code 1360 requires the PBS statistic "
       "type.\n"
       " -31 = Must have COMP CODE=1360 for attribute diagram, and vice-versa.\n"},
      {"display 6 without the attribute code", nullptr, "1 1 6 0\n0\n1001\n0 0\n",
       "  Graph rel trc # =  1 Plot rel trc # =  1 Orig trc # =  11\n"
       " -31 = Must have COMP CODE=1360 for attribute diagram, and vice-versa.\n"},
      {"display 7 without the CRPS code", nullptr, "1 1 7 0\n0\n1001\n0 0\n",
       "  Graph rel trc # =  1 Plot rel trc # =  1 Orig trc # =  11\n"
       " -47 = Must have COMP CODE=2307 for CRPS reliability diagram, and vice-versa.\n"},
      {"difference as a scatter plot", nullptr, "3 3 2 0\n1 2\n1101\n0 0\n",
       "PLT_DRIV\n -20 = Cannot plot % difference as a scatter plot.\n"},
      {"display 10", nullptr, "3 1 10 0\n0\n1101\n0 0\n",
       "PLT_DRIV\n -03 = Invalid user-specified over-ride plot type\n"},
      {"display 4 on a skill-score plot", nullptr, "3 1 4 0\n0\n1101\n0 0\n",
       "  WARNING -- plot is not a scatter plot.\n"},
      {"control file without DEV", "TIT = no device\n", "3 1 1 0\n0\n1101\n0 0\n",
       " -25 = No user input for DEVICE.\n"},
      {"control file without DEV for METHOD 6", "TIT = no device\n", "3 6 1 0\n1 2\n1101\n0 0\n",
       " -25 = No user input for DEVICE.\n"},
      {"unknown keyword", "DEV = TX\nFOO = 1\n", "3 1 1 0\n0\n1101\n0 0\n",
       " FOO\n +04 = Warning:  Invalid graphics control file keyword\n"},
      {"text dump cannot be opened", "DEV = TX|nodir/out.dmp\n", "3 1 1 0\n0\n1101\n0 0\n",
       " -22 = Cannot open output file text device.\n"
       " file nodir/out.dmp: No such file or directory\n"},
      // Names longer than their field are refused, not cut to another file's name.
      {"text dump name of 129 characters", long_text.c_str(), "3 1 1 0\n0\n1101\n0 0\n",
       " -22 = Cannot open output file text device.\n"
       "  The file name is longer than 128 characters; it is not cut to fit.\n"},
      {"picture name of 73 characters", long_picture.c_str(), "3 1 1 0\n0\n1101\n0 0\n",
       " Invalid device\n -02 = Cannot set output graphics device\n"
       "  The file name is longer than 72 characters; it is not cut to fit.\n"},
      {"box-whisker objects on a difference plot", "DEV = TX\nBXW = 1/1\n",
       "3 3 1 0\n1 2\n1101\n0 0\n",
       " \n  Using default test level = .05 for resampling.\n \n"
       "  ERRORS detected associated with box-whisker request:\n"
       "  BXWSKR objects not allowed for display methods 3--5.\n"},
      {"performance diagram of SL1L2 traces", nullptr, "3 1 8 0\n0\n1101\n0 0\n",
       " The performance diagram (display 8) needs FHO traces; trace 1 is SL1L2.\n"
       " -03 = Invalid user-specified over-ride plot type\n"},
  };
  for (const CodeCase& c : kCases) {
    dir_.write("c.ctl", c.ctl ? c.ctl : "DEV = TX\n");
    const bool two_traces = std::string(c.input).rfind("3 ", 0) == 0;
    const ProgramRun r = run(std::string("c.ctl\nex.trc\n") + c.input);
    std::string want = c.out;
    // Messages reported with the caller text "PLT_DRIV" begin with it on a line of its own.
    if (want.rfind("PLT_DRIV", 0) == 0) want = " " + want;
    if (two_traces) want = m3 + want;
    EXPECT_EQ(r.out, kBanner + want) << c.what;
    EXPECT_EQ(r.err, "") << c.what;
    EXPECT_EQ(r.status, 0) << c.what;
  }
  (void)m1;
}

TEST_F(KorDriver, MethodSevenAndTooManyTracesNeverReachTheTraces) {
  // METHOD 7 ends in the dialogue; 25 traces are cut to 24 by the dialogue (which says so), so
  // the driver's own limit is not reachable from standard input.  Both still end normally.
  ProgramRun r = run("ex.ctl\nex.trc\n1 7 1 0\n");
  EXPECT_EQ(r.out, kBanner + "  METHOD =  7 is invalid.\n");
  r = run("ex.ctl\nex.trc\n1 2 1 0\n1 2 1 2 1 2 1 2 1 2 1 2 1 2 1 2 1 2 1 2 1 2 1 2 1\n" +
          std::string("1001 1001 1001 1001 1001 1001 1001 1001 1001 1001 1001 1001 ") +
          "1001 1001 1001 1001 1001 1001 1001 1001 1001 1001 1001 1001\n0 0\n");
  EXPECT_NE(r.out.find(" More than 24 trace numbers: only the first 24 are plotted.\n"),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("Graph rel trc # =  24 Plot rel trc # =  2"), std::string::npos);
  EXPECT_TRUE(has("txt.dmp", "      TRACE NUMBER =  24\n"));
}

// Uncombined SL1L2 records of plot 3 for resampling: at each forecast hour, 30 records per model
// of count 1 whose forecasts differ from the observation by the model's bias plus a small spread.
// Exchanging the members of a record changes the difference of the two biases by at most 0.15 for
// every record, so the resampled differences lie within +-0.15.
void write_plot3_ucd(const std::string& path) {
  std::vector<resample::UcdRecord> records;
  for (int p = 1; p <= 6; ++p) {
    const double h = 12.0 * p;
    for (int r = 0; r < 30; ++r) {
      const double o = 283.0 + 0.1 * r;
      const double spread = 0.01 * ((r * 7) % 5 - 2);
      for (int t = 0; t < 2; ++t) {
        const double f = o + (t == 0 ? 0.25 : 0.40) * (0.5 + h / 72.0) + spread;
        records.push_back({3, 31 + t, p, {1.0, f, o, f * o, f * f, o * o}});
      }
    }
  }
  ASSERT_TRUE(resample::write_ucd(path, 6, records));
}

TEST_F(KorDriver, ResampledSkillScorePlotWithBoxWhiskerText) {
  write_plot3_ucd((dir_.path() / "trace.ucd").string());
  dir_.write("b.ctl", "DEV = TX\nBXW = 1/2/.05\nNSM = 400\n");
  const ProgramRun r = run("b.ctl\nex.trc\n3 2 1 0\n1 2\n1101 1101\n0 0\n");
  EXPECT_EQ(r.err, "");
  EXPECT_NE(r.out.find(" Resampling at abscissa point #  1 with  400 trials.\n"), std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("  1 - median of resampled differences = "), std::string::npos);
  EXPECT_EQ(r.out.find("ERRORS detected"), std::string::npos);
  EXPECT_EQ(r.out.find("PLT_TBXW"), std::string::npos) << r.out;  // the text was written
  const std::string bxw = dir_.read("txt.dmp_bxw");
  EXPECT_NE(bxw.find("************************\nBOX-WHISKER OBJECT DATA\n"), std::string::npos);
  EXPECT_NE(bxw.find("MODEL=REGIONAL\n            VERSUS first trace:\nMODEL=GLOBAL\n"),
            std::string::npos)
      << bxw;
  const std::string header =
      " X# BENCHMRK_VAL PAIRED_VALUE MIN_WSKR_VAL  CI_LOWERBND  CI_UPPERBND MAX_WSKR_VAL\n";
  const auto at = bxw.find(header);
  ASSERT_NE(at, std::string::npos);
  std::istringstream rows(bxw.substr(at + header.size()));
  for (int p = 1; p <= 6; ++p) {
    int n = 0;
    double b, v, wlo, lo, hi, whi;
    ASSERT_TRUE(rows >> n >> b >> v >> wlo >> lo >> hi >> whi) << p;
    const double h = 12.0 * p;
    EXPECT_EQ(n, p);
    EXPECT_NEAR(b, 0.25 * (0.5 + h / 72.0), 1e-5);
    EXPECT_NEAR(v, 0.40 * (0.5 + h / 72.0), 1e-5);
    // The null distribution of the difference is symmetric about 0 and within +-0.15.
    EXPECT_LE(wlo, lo);
    EXPECT_LE(lo, b);
    EXPECT_LE(b, hi);
    EXPECT_LE(hi, whi);
    EXPECT_GE(wlo, b - 0.15 - 1e-4);
    EXPECT_LE(whi, b + 0.15 + 1e-4);
  }
  // Six points and the blank line that ends the object, nothing more.
  const std::string rest((std::istreambuf_iterator<char>(rows)), std::istreambuf_iterator<char>());
  EXPECT_EQ(rest, "\n \n");
}

TEST_F(KorDriver, BoxWhiskerOutputIsTheSameForAnyThreadCount) {
  write_plot3_ucd((dir_.path() / "trace.ucd").string());
  dir_.write("b.ctl", "DEV = TX\nBXW = 1/2/.05\nNSM = 1001\n");
  const char* const saved = std::getenv("KOR_THREADS");
  const std::string before = saved ? saved : "";
  std::string first_out, first_bxw;
  for (const char* threads : {"1", "2", "3", "8"}) {
    ASSERT_EQ(setenv("KOR_THREADS", threads, 1), 0);
    const ProgramRun r = run("b.ctl\nex.trc\n3 2 1 0\n1 2\n1101 1101\n0 0\n");
    const std::string bxw = dir_.read("txt.dmp_bxw");
    if (first_out.empty()) {
      ASSERT_NE(r.out.find(" Resampling at abscissa point #  6 with  1001 trials.\n"),
                std::string::npos)
          << r.out;
      ASSERT_NE(bxw.find("BOX-WHISKER OBJECT DATA"), std::string::npos);
      first_out = r.out;
      first_bxw = bxw;
      continue;
    }
    EXPECT_EQ(r.out, first_out) << threads << " threads";
    EXPECT_EQ(bxw, first_bxw) << threads << " threads";
  }
  if (saved) {
    setenv("KOR_THREADS", before.c_str(), 1);
  } else {
    unsetenv("KOR_THREADS");
  }
}

// Two statistic lines (the bias and the error deviation), each pairing trace 2 with trace 1: two
// results at every point and two blocks of objects.
TEST_F(KorDriver, ResamplingTwoStatisticLines) {
  write_plot3_ucd((dir_.path() / "trace.ucd").string());
  dir_.write("b.ctl", "DEV = TX\nBXW = 1/2/.05\nNSM = 200\n");
  const ProgramRun r = run("b.ctl\nex.trc\n3 2 1 0\n1 2 1 2\n1101 1101 1109 1109\n0 0\n");
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out.find("ERRORS detected"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("PLT_TBXW"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("  2 - median of resampled differences = "), std::string::npos) << r.out;
  const std::string bxw = dir_.read("txt.dmp_bxw");
  // Each line's block pairs its own two traces: positions 2 and 1, then 4 and 3.
  const std::string bias =
      "PARM=SCALR_BIAS MODEL=REGIONAL\n            VERSUS first trace:\nPARM=SCALR_BIAS "
      "MODEL=GLOBAL\n";
  const std::string spread =
      "PARM=SCLR_ERROR_SIG MODEL=REGIONAL\n            VERSUS first trace:\n"
      "PARM=SCLR_ERROR_SIG MODEL=GLOBAL\n";
  const auto first = bxw.find(bias);
  ASSERT_NE(first, std::string::npos) << bxw;
  const auto second = bxw.find(spread);
  ASSERT_NE(second, std::string::npos) << bxw;
  EXPECT_GT(second, first);
}

TEST_F(KorDriver, ResamplingErrorsAreReported) {
  // Without trace.ucd the resampling driver cannot open its file.
  dir_.write("b.ctl", "DEV = TX\nBXW = 1/1/.1\n");
  ProgramRun r = run("b.ctl\nex.trc\n3 2 1 0\n1 2\n1101 1101\n0 0\n");
  EXPECT_NE(r.out.find(" -01 = Cannot open trace.ucd file for resampling.\n"
                       " PLT_TBXW\n -39 = Resampling error occurred.\n"
                       "  ERRORS detected associated with box-whisker request:\n"
                       "  Resampling driver returned with errors.\n"),
            std::string::npos)
      << r.out;
  // The op code changes at the second trace: grouping error 1, and the first group of one trace
  // has no pair (error 3).
  write_plot3_ucd((dir_.path() / "trace.ucd").string());
  r = run("b.ctl\nex.trc\n3 2 1 0\n1 2 1\n1101 1102 1102\n0 0\n");
  EXPECT_NE(r.out.find("  ERRORS detected associated with box-whisker request:\n"
                       "  COMP CODES must be same for paired/grouped traces.\n"
                       "  There are no trace pairs.\n"),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("  Check trace number and COMP CODE specifications.\n"), std::string::npos);
}

}  // namespace
}  // namespace kor::e2e
