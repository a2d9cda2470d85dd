// kor run end to end on the computational codes that the driver tests elsewhere leave out: vector
// partial sums (VL1L2) on a time series and on a binned plot, the FHO bias-adjustment and
// threshold-lag prefixes, and the plot driver's return codes that a trace data file, a control file
// or the dialogue can provoke.  The trace data file is tests/data/e2e/codes.trc, written by
// make_codes.py beside it; every expected value below is worked out by hand from the means listed
// there, or by an independent formula where the hand sum would be long.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "run_program.h"

namespace kor::e2e {
namespace {

namespace fs = std::filesystem;

constexpr double kMissing = -9999.0;

// The reader's trace mapping line: free-format integers are a blank and their digits.
std::string map_line(int graph, int plot, int orig) {
  return "  Graph rel trc # =  " + std::to_string(graph) +
         " Plot rel trc # =  " + std::to_string(plot) + " Orig trc # =  " + std::to_string(orig) +
         "\n";
}

// One row of the text dump: abscissa, 24-column label, ordinate.
struct DumpRow {
  double x = 0;
  std::string label;
  double y = 0;
};

// The rows of trace `trace` in a text dump, read back from the fixed columns
// (7X,1P,E13.5,4X,A24,4X,E13.5).
std::vector<DumpRow> dump_rows(const std::string& dump, int trace) {
  char head[48];
  std::snprintf(head, sizeof head, "      TRACE NUMBER = %2d\n", trace);
  std::vector<DumpRow> rows;
  auto at = dump.find(head);
  if (at == std::string::npos) return rows;
  at = dump.find("VALUE OF Y\n", at);
  if (at == std::string::npos) return rows;
  at += 11;
  while (at < dump.size()) {
    const auto end = dump.find('\n', at);
    const std::string line = dump.substr(at, end - at);
    if (line.size() != 65) break;
    rows.push_back(
        {std::stod(line.substr(7, 13)), line.substr(24, 24), std::stod(line.substr(52))});
    if (end == std::string::npos) break;
    at = end + 1;
  }
  return rows;
}

// "(1PE24.5)" of a real abscissa label.
std::string real_label(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%24.5E", v);
  return buf;
}

bool near(double got, double want) {
  if (want == kMissing) return got == kMissing;
  return std::fabs(got - want) <= 1e-5 * std::max(1.0, std::fabs(want));
}

class KorCodes : public ::testing::Test {
 protected:
  KorCodes() : dir_("codes") {
    dir_.copy_in(std::string(KOR_TEST_DATA) + "/e2e/codes.trc", "codes.trc");
    dir_.copy_in(std::string(KOR_EXAMPLES) + "/example.trc", "ex.trc");
    dir_.write("tx.ctl", "DEV = TX\n");
  }
  // Every run must keep standard error empty: a sanitizer report or a STOP would land there.
  ProgramRun run(const std::string& input) {
    ProgramRun r = run_program(KOR_PROGRAM, dir_, input);
    errors_ += r.err;
    return r;
  }
  void TearDown() override { EXPECT_EQ(errors_, ""); }
  // Runs one trace of a plot of codes.trc with one op code (METHOD 2, display 1).
  ProgramRun one_trace(int plot, int trace, long code) {
    return run("tx.ctl\ncodes.trc\n" + std::to_string(plot) + " 2 1 0\n" + std::to_string(trace) +
               "\n" + std::to_string(code) + "\n0 0\n");
  }
  ScratchDir dir_;
  std::string errors_;
};

// Means of trace 11 (plot 1), days 1 to 3, in the order uf vf uo vo fo ff oo:
//   day 1, N = 10: 3 4 1 2 12 30 9;  day 2, N = 20: 1 1 2 0 3 6 5;  day 3, N = 10: all 0.
// With cov = fo - uf uo - vf vo, fvar = ff - uf^2 - vf^2, ovar = oo - uo^2 - vo^2:
//   day 1: cov 1, fvar 5, ovar 4;  day 2: cov 1, fvar 4, ovar 1;  day 3: all 0.
struct SeriesCase {
  const char* what;
  long code;
  const char* label;
  double day[3];
};

TEST_F(KorCodes, VectorPartialSumsOnTimeSeries) {
  const double s30 = std::sqrt(30.0), s6 = std::sqrt(6.0), s5 = std::sqrt(5.0);
  const SeriesCase kCases[] = {
      {"speed bias sqrt(ff) - sqrt(oo)", 1201, "VECTR_SPD_BIAS", {s30 - 3, s6 - s5, 0}},
      {"rmse sqrt(ff + oo - 2 fo)", 1202, "VECTR_RMSE", {std::sqrt(15.0), s5, 0}},
      // The third day has no variance: the correlation cannot be computed.
      {"correlation", 1203, "VECTR_CORR", {1 / (s5 * 2), 1 / (2 * 1.0), kMissing}},
      {"covariance", 1204, "VCTR_COVAR", {1, 1, 0}},
      {"forecast variance", 1205, "VCTR_FRVAR", {5, 4, 0}},
      {"observed variance", 1206, "VCTR_OBVAR", {4, 1, 0}},
      {"forecast deviation", 1207, "VCTR_FRSDV", {s5, 2, 0}},
      {"observed deviation", 1208, "VCTR_OBSDV", {2, 1, 0}},
      {"u bias", 1209, "U-CMP_BIAS", {2, -1, 0}},
      {"v bias", 1210, "V-CMP_BIAS", {2, 1, 0}},
      {"bias magnitude", 1211, "VECTR_BIAS_MAG", {std::sqrt(8.0), std::sqrt(2.0), 0}},
      {"error deviation sqrt(fvar + ovar - 2 cov)",
       1212,
       "VCTR_ERROR_SIG",
       {std::sqrt(7.0), std::sqrt(3.0), 0}},
      {"bias magnitude squared", 1213, "VECTR_BIAS**2", {8, 2, 0}},
      {"-2 covariance", 1214, "-2*VCTR_COVAR", {-2, -2, 0}},
      {"error variance", 1215, "VCTR_ERROR_VAR", {7, 3, 0}},
      {"mean square error", 1216, "VECTR_MSE", {15, 5, 0}},
      {"sample count", 1, "DATA_COUNT", {10, 20, 10}},
      {"mean of field 2", 2, "UF_MEAN", {3, 1, 0}},
      {"mean of field 6", 6, "F.O_MEAN", {12, 3, 0}},
      {"unweighted sum of field 7", -7, "F.F_MEAN", {300, 120, 0}},
  };
  const char* days[] = {"202611011200", "202611021200", "202611031200"};
  for (const SeriesCase& c : kCases) {
    const ProgramRun r = one_trace(1, 1, c.code);
    EXPECT_EQ(r.out, kBanner + map_line(1, 1, 11)) << c.what;
    const std::string dump = dir_.read("txt.dmp");
    EXPECT_NE(dump.find(std::string("        Y AXIS LABEL = ") + c.label + "\n"), std::string::npos)
        << c.what << "\n"
        << dump;
    EXPECT_NE(dump.find("        X AXIS LABEL = TIME (YYMMDD/HHNN)\n"), std::string::npos);
    const std::vector<DumpRow> rows = dump_rows(dump, 1);
    ASSERT_EQ(rows.size(), 3u) << c.what << "\n" << dump;
    for (int d = 0; d < 3; ++d) {
      EXPECT_EQ(rows[d].x, d) << c.what;  // days after the first
      EXPECT_EQ(rows[d].label, std::string(days[d]) + std::string(12, ' ')) << c.what;
      EXPECT_TRUE(near(rows[d].y, c.day[d]))
          << c.what << " day " << d + 1 << ": " << rows[d].y << " expected " << c.day[d];
    }
  }
}

// Means of trace 21 (plot 2, thresholds 5 and 10, real labels), order uf vf uo vo fo ff oo:
//   >5,  N = 4: 2 0 1 1 2 5 3;   >10, N = 8: -1 2 0 1 4 9 1.
struct BinCase {
  const char* what;
  long code;
  const char* label;
  double bin[2];
};

TEST_F(KorCodes, VectorPartialSumsOnBinnedPlot) {
  const BinCase kCases[] = {
      {"speed bias", 1201, "VECTR_SPD_BIAS", {std::sqrt(5.0) - std::sqrt(3.0), 3 - 1}},
      {"rmse", 1202, "VECTR_RMSE", {std::sqrt(5 + 3 - 4.0), std::sqrt(9 + 1 - 8.0)}},
      // fvar 1 and 4, ovar 1 and 0: the second bin has no observed variance.
      {"correlation", 1203, "VECTR_CORR", {(2 - 2.0) / 1, kMissing}},
      {"u bias", 1209, "U-CMP_BIAS", {1, -1}},
      {"bias magnitude", 1211, "VECTR_BIAS_MAG", {std::sqrt(2.0), std::sqrt(2.0)}},
      {"mean square error", 1216, "VECTR_MSE", {4, 2}},
      {"mean of field 3", 3, "VF_MEAN", {0, 2}},
      {"unweighted sum of field 8", -8, "O.O_MEAN", {12, 8}},
  };
  for (const BinCase& c : kCases) {
    const ProgramRun r = one_trace(2, 1, c.code);
    EXPECT_EQ(r.out, kBanner + map_line(1, 1, 21)) << c.what;
    const std::string dump = dir_.read("txt.dmp");
    EXPECT_NE(dump.find(std::string("        Y AXIS LABEL = ") + c.label + "\n"), std::string::npos)
        << c.what;
    EXPECT_NE(dump.find("        X AXIS LABEL = THRSH\n"), std::string::npos) << c.what;
    const std::vector<DumpRow> rows = dump_rows(dump, 1);
    ASSERT_EQ(rows.size(), 2u) << c.what << "\n" << dump;
    for (int b = 0; b < 2; ++b) {
      EXPECT_EQ(rows[b].x, b + 1) << c.what;
      EXPECT_EQ(rows[b].label, real_label(b == 0 ? 5.0 : 10.0)) << c.what;
      EXPECT_TRUE(near(rows[b].y, c.bin[b]))
          << c.what << " bin " << b + 1 << ": " << rows[b].y << " expected " << c.bin[b];
    }
  }
}

// Counts of the FHO trace 31 (plot 3, thresholds 1 to 4 on field ID 11), N = 100 everywhere:
//   F, H, O = 30 10 20;  40 10 20;  10 0 5;  8 4 6.
constexpr double kF[] = {30, 40, 10, 8}, kH[] = {10, 10, 0, 4}, kO[] = {20, 20, 5, 6};
constexpr double kN = 100;

// The odds-ratio adjusted hit count: with F' = O the odds ratio
// (N - 2 O + H') H' / (O - H')^2 must equal R = (N - F - O + H) H / ((F - H)(O - H)), a quadratic
// (1 - R) H'^2 + (N - 2 O + 2 R O) H' - R O^2 = 0 whose root between 0 and O is the new hit count.
double odds_ratio_hits(double f, double h, double o) {
  if (h == 0) return 0;
  const double r = (kN - f - o + h) * h / ((f - h) * (o - h));
  const double a = 1 - r, b = kN - 2 * o + 2 * r * o, c = -r * o * o;
  const double root = std::sqrt(b * b - 4 * a * c);
  for (double x : {(-b + root) / (2 * a), (-b - root) / (2 * a)}) {
    if (x > 0 && x < o) return x;
  }
  return -1;
}

double ets(double n, double f, double h, double o) {
  const double r = f * o / n;
  return (h - r) / (f + o - h - r);
}

struct PrefixCase {
  const char* what;
  long code;
  const char* label;
  double (*value)(int k);  // threshold k = 0..3
  bool dhdf_warning;
};

const std::string kDhdfWarning = " \n  WARNING:  dH/dF bias adjustment is not recommended.\n \n";

TEST_F(KorCodes, BiasAndThresholdLagPrefixesOnFhoTrace) {
  const PrefixCase kCases[] = {
      // dH/dF: F' = O, so the frequency bias is 1 wherever O and F are positive.
      {"dH/dF bias", 1011001, "DHDF_BIAS_SCORE", [](int) { return 1.0; }, true},
      // dH/dF: H' = O (1 - ((O - H)/O)^(O/F)) and F' = O, so FAR = 1 - H'/O = ((O - H)/O)^(O/F).
      {"dH/dF false alarm ratio", 1011004, "DHDF_FLS_ALRM_RATIO",
       [](int k) { return std::pow((kO[k] - kH[k]) / kO[k], kO[k] / kF[k]); }, true},
      // Odds-ratio model: FAR = 1 - H'/O with H' the odds-ratio preserving hit count.
      {"odds-ratio false alarm ratio", 1021004, "ORBA_FLS_ALRM_RATIO",
       [](int k) { return 1 - odds_ratio_hits(kF[k], kH[k], kO[k]) / kO[k]; }, false},
      // Threshold lag 3: only the fourth threshold gets N = F + O - H of the first, 30 + 20 - 10.
      {"threshold lag 3 equitable threat score", 2031002, "TL=3_EQ_THT_SCR",
       [](int k) { return ets(k == 3 ? 40 : kN, kF[k], kH[k], kO[k]); }, false},
      // Prefix 100 decodes but changes nothing and adds no tag.
      {"prefix 100", 1001004, "FLS_ALRM_RATIO", [](int k) { return 1 - kH[k] / kF[k]; }, false},
  };
  for (const PrefixCase& c : kCases) {
    const ProgramRun r = one_trace(3, 1, c.code);
    EXPECT_EQ(r.out, kBanner + map_line(1, 1, 31) + (c.dhdf_warning ? kDhdfWarning : "")) << c.what;
    EXPECT_EQ(r.err, "") << c.what;
    const std::string dump = dir_.read("txt.dmp");
    EXPECT_NE(dump.find(std::string("        Y AXIS LABEL = ") + c.label + "\n"), std::string::npos)
        << c.what << "\n"
        << dump;
    const std::vector<DumpRow> rows = dump_rows(dump, 1);
    ASSERT_EQ(rows.size(), 4u) << c.what << "\n" << dump;
    for (int k = 0; k < 4; ++k) {
      EXPECT_EQ(rows[k].label, real_label(k + 1.0)) << c.what;
      EXPECT_TRUE(near(rows[k].y, c.value(k)))
          << c.what << " threshold " << k + 1 << ": " << rows[k].y << " expected " << c.value(k);
    }
  }
}

TEST_F(KorCodes, AdjustedTraceLeavesTheNextTraceUnchanged) {
  // The same file trace twice: odds-ratio adjusted, then plain.  The second trace is computed from
  // the file's counts again: FAR = 1 - H/F.
  const ProgramRun r = run("tx.ctl\ncodes.trc\n3 2 1 0\n1 1\n1021004 1004\n0 0\n");
  EXPECT_EQ(r.out, kBanner + map_line(1, 1, 31) + map_line(2, 1, 31));
  const std::string dump = dir_.read("txt.dmp");
  const std::vector<DumpRow> adjusted = dump_rows(dump, 1), plain = dump_rows(dump, 2);
  ASSERT_EQ(adjusted.size(), 4u) << dump;
  ASSERT_EQ(plain.size(), 4u) << dump;
  for (int k = 0; k < 4; ++k) {
    EXPECT_TRUE(near(adjusted[k].y, 1 - odds_ratio_hits(kF[k], kH[k], kO[k]) / kO[k])) << k;
    EXPECT_TRUE(near(plain[k].y, 1 - kH[k] / kF[k])) << k << ": " << plain[k].y;
  }
}

struct RejectCase {
  const char* what;
  const char* file;
  int plot;
  long code;
  int orig;         // file trace number of the plot's first trace
  const char* out;  // the reader's message lines, or null for "invalid computational code"
};

TEST_F(KorCodes, CodesThatDoNotFitTheTraceAreReported) {
  const RejectCase kCases[] = {
      {"bias prefix on a VL1L2 trace", "codes.trc", 2, 1011001, 21, nullptr},
      {"odds-ratio prefix on a VL1L2 trace", "codes.trc", 2, 1021004, 21, nullptr},
      {"threshold-lag prefix on a VL1L2 trace", "codes.trc", 2, 2031002, 21, nullptr},
      // FHO, but the abscissa is time (field ID 5), not the threshold.
      {"threshold-lag prefix on an FHO time series", "ex.trc", 1, 2031002, 11, nullptr},
      {"vector code on an FHO trace of depth 4", "codes.trc", 3, 1202, 31,
       " -36 = insufficient data depth for stats\n  Op code 1202 needs a data depth of 8 or more;\n"
       "  trace 31 has statistic type \"FHO\" and data depth 4.\n"},
      {"FHO code on a VL1L2 trace", "codes.trc", 2, 1001, 21,
       " -29 = cannot compute stats based on FHO values\n"
       "  Op code 1001 needs a statistic type that contains \"FHO\" and a data depth of 4 or "
       "more;\n  trace 21 has statistic type \"VL1L2\" and data depth 8.\n"},
      {"plain field beyond the depth", "codes.trc", 1, 9, 11,
       " -30 = trace data depth field # is not valid\n"},
  };
  for (const RejectCase& c : kCases) {
    const ProgramRun r = run(std::string("tx.ctl\n") + c.file + "\n" + std::to_string(c.plot) +
                             " 2 1 0\n1\n" + std::to_string(c.code) + "\n0 0\n");
    const std::string message = c.out ? c.out : " -32 = invalid computational code number\n";
    EXPECT_EQ(r.out, kBanner + map_line(1, 1, c.orig) + " TRACE #01 error from RDTD_TRC:\n" +
                         message + " -06 = error in RDTD_TRC\n")
        << c.what;
    EXPECT_EQ(r.err, "") << c.what;
    EXPECT_EQ(r.status, 0) << c.what;
  }
}

// Plot 1 of codes.trc: trace 11 has three days, trace 12 only the first two.
const std::string kPlot1Maps = map_line(1, 1, 11) + map_line(2, 2, 12);

struct DriverCodeCase {
  const char* what;
  const char* input;  // after the control and trace file names
  const char* out;    // standard output after the trace mapping lines
};

TEST_F(KorCodes, TracesOfDifferentLengthsAreRefused) {
  const DriverCodeCase kCases[] = {
      {"difference of the traces", "1 3 1 0\n1 2\n1202\n0 0\n",
       " PLT_DRIV\n -21 = Traces for % diff must have same # of points.\n"},
      {"percentage difference", "1 4 1 0\n1 2\n1202\n0 0\n",
       " PLT_DRIV\n -21 = Traces for % diff must have same # of points.\n"},
      {"RPF histogram", "1 2 3 0\n1 2\n1202 1202\n0 0\n",
       " -27 = RPF histogram traces point counts differ.\n"},
      {"significance analysis", "1 6 1 0\n1 2\n1202 1202\n0 0\n",
       " PLT_DRIV\n -29 = Traces must have same # of points for significance analysis.\n"},
  };
  for (const DriverCodeCase& c : kCases) {
    const ProgramRun r = run(std::string("tx.ctl\ncodes.trc\n") + c.input);
    EXPECT_EQ(r.out, kBanner + kPlot1Maps + c.out) << c.what;
    EXPECT_EQ(r.err, "") << c.what;
    EXPECT_EQ(r.status, 0) << c.what;
    EXPECT_FALSE(fs::exists(dir_.path() / "kor_sig_test1.txt")) << c.what;
  }
}

TEST_F(KorCodes, SignificanceReportBlockedByADirectory) {
  fs::create_directory(dir_.path() / "kor_sig_test1.txt");
  const ProgramRun r = run("tx.ctl\nex.trc\n3 6 1 0\n1 2\n1101\n0 0\n");
  EXPECT_EQ(r.out, kBanner + map_line(1, 1, 31) + map_line(2, 2, 32) +
                       " PLT_DRIV\n -30 = Cannot open kor_sig_test1.txt output file.\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(fs::is_directory(dir_.path() / "kor_sig_test1.txt"));
}

TEST_F(KorCodes, TextDumpOnAFullDevice) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  fs::create_symlink("/dev/full", dir_.path() / "txt.dmp");
  const ProgramRun r = run("tx.ctl\ncodes.trc\n1 1 1 0\n0\n1202\n0 0\n");
  // The dump is a few hundred bytes: the failure shows only when the lines reach the file.
  EXPECT_EQ(r.out, kBanner + kPlot1Maps +
                       " PLT_TEXT\n -23 = Cannot write to output file text device.\n"
                       " Cannot write the output file txt.dmp: No space left on device\n");
  EXPECT_EQ(r.status, 0);
}

TEST_F(KorCodes, BoxWhiskerTextOnAFullDevice) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  dir_.copy_in(std::string(KOR_EXAMPLES) + "/trace.ucd", "trace.ucd");
  dir_.write("b.ctl", "DEV = TX\nBXW = 1/2/.05\nNSM = 400\n");
  fs::create_symlink("/dev/full", dir_.path() / "txt.dmp_bxw");
  const ProgramRun r = run("b.ctl\nex.trc\n3 2 1 0\n1 2\n1101 1101\n0 0\n");
  const std::string tail =
      " PLT_TBXW\n -42 = Cannot write to box-whisker output text file.\n"
      " Cannot write the output file txt.dmp_bxw: No space left on device\n";
  ASSERT_GE(r.out.size(), tail.size());
  EXPECT_EQ(r.out.substr(r.out.size() - tail.size()), tail) << r.out;
  EXPECT_EQ(r.out.find("ERRORS detected"), std::string::npos);
  // The text dump itself went to its ordinary file.
  EXPECT_NE(dir_.read("txt.dmp").find("      TRACE NUMBER =  2\n"), std::string::npos);
}

TEST_F(KorCodes, BoxWhiskerTextBlockedByADirectory) {
  fs::create_directory(dir_.path() / "txt.dmp_bxw");
  const ProgramRun r = run("tx.ctl\ncodes.trc\n2 1 1 0\n0\n1202\n0 0\n");
  EXPECT_EQ(r.out, kBanner + map_line(1, 1, 21) +
                       " -41 = Cannot open box-whisker output text file.\n" +
                       " file txt.dmp_bxw: Is a directory\n");
  EXPECT_EQ(r.status, 0);
}

struct ControlCase {
  const char* what;
  const char* ctl;
  const char* out;  // standard output after the trace mapping line
};

TEST_F(KorCodes, ControlLinesThatAreReportedAndSkipped) {
  // Each bad line is reported and the rest of the file is read: the dump is still written.
  const ControlCase kCases[] = {
      {"trace label for position 0", "DEV = TX\nTRACE0 = x\n",
       " -24 = Trace number entered is invalid.\n"},
      {"trace label without a number", "DEV = TX\nTRACEX = x\n",
       " -24 = Trace number entered is invalid.\n"},
      {"trace label for position 25", "TRACE25 = x\nDEV = TX\n",
       " -13 = trace label number exceeds max allowed\n"},
      {"unknown panel", "DEV = TX\nPAN = X9\n",
       " -09 = unrecognized input for PANEL control parm\n"},
      {"unknown axis type", "PTY = SQR\nDEV = TX\n",
       " -11 = invalid y axis type in PTYPE control parm\n"},
  };
  for (const ControlCase& c : kCases) {
    dir_.write("c.ctl", c.ctl);
    fs::remove(dir_.path() / "txt.dmp");
    const ProgramRun r = run("c.ctl\ncodes.trc\n2 1 1 0\n0\n1202\n0 0\n");
    EXPECT_EQ(r.out, kBanner + map_line(1, 1, 21) + c.out) << c.what;
    EXPECT_EQ(r.status, 0) << c.what;
    const std::vector<DumpRow> rows = dump_rows(dir_.read("txt.dmp"), 1);
    ASSERT_EQ(rows.size(), 2u) << c.what;
    EXPECT_TRUE(near(rows[0].y, 2.0)) << c.what;  // rmse of the first bin, as above
  }
}

TEST_F(KorCodes, ControlLinesThatEndTheRun) {
  const ControlCase kCases[] = {
      // The time range names days that the series does not have.
      {"time range outside the series", "DEV = TX\nXAX = 202612011200:202612021200\n",
       " -19 = date-time in time axis range is invalid\n"},
      // A graphics device whose server cannot be found: kor_graphics_e2e_test.cc.
  };
  for (const ControlCase& c : kCases) {
    dir_.write("c.ctl", c.ctl);
    const ProgramRun r = run("c.ctl\ncodes.trc\n1 1 1 0\n0\n1202\n0 0\n");
    ASSERT_EQ(r.out.rfind(kBanner + kPlot1Maps, 0), 0u) << c.what << r.out;
    const std::string tail = c.out;
    ASSERT_GE(r.out.size(), tail.size()) << c.what;
    EXPECT_EQ(r.out.substr(r.out.size() - tail.size()), tail) << c.what << r.out;
    EXPECT_EQ(r.status, 0) << c.what;
    EXPECT_FALSE(fs::exists(dir_.path() / "txt.dmp")) << c.what;
  }
}

TEST_F(KorCodes, ResamplingTracesOfDifferentLengths) {
  // Box-whisker objects on the time series whose second trace is a day short: refused before
  // trace.ucd is looked for.
  dir_.write("b.ctl", "DEV = TX\nBXW = 1/2/.05\n");
  const ProgramRun r = run("b.ctl\ncodes.trc\n1 2 1 0\n1 2\n1202 1202\n0 0\n");
  const std::string tail =
      " PLT_TBXW\n -38 = X point counts differ for resampling traces.\n"
      "  ERRORS detected associated with box-whisker request:\n"
      "  All traces must have the same number of X points.\n";
  ASSERT_GE(r.out.size(), tail.size());
  EXPECT_EQ(r.out.substr(r.out.size() - tail.size()), tail) << r.out;
  EXPECT_EQ(r.out.find("trace.ucd"), std::string::npos);
}

TEST_F(KorCodes, TooManyAttributeDiagramTraces) {
  // 13 reliability traces need 13 frequency companions: 26 traces, more than 24.
  dir_.copy_in(std::string(KOR_TEST_DATA) + "/stats/prob.trc", "prob.trc");
  std::string traces, codes;
  for (int i = 0; i < 13; ++i) {
    traces += "1 ";
    codes += "1360 ";
  }
  const ProgramRun r = run("tx.ctl\nprob.trc\n1 2 6 0\n" + traces + "\n" + codes + "\n0 0\n");
  const std::string tail =
      map_line(13, 1, 101) +
      " PLT_DRIV\n -32 = number of reliability + frequency traces exceeds maximum allowed.\n";
  ASSERT_GE(r.out.size(), tail.size());
  EXPECT_EQ(r.out.substr(r.out.size() - tail.size()), tail) << r.out;
  EXPECT_EQ(r.status, 0);
}

}  // namespace
}  // namespace kor::e2e
