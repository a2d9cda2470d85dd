// kor run end to end on the summary diagrams and the confidence intervals, their text dumps checked
// against values worked out independently: the success ratio, detection, CSI and bias of the
// example's contingency tables from the formulas that wrote them (examples/make_example.py); the
// Taylor statistics of forecast/observation pairs generated here, computed from the raw pairs in
// two passes while only their SL1L2 sums go to the trace data file; Wilson intervals of the
// published examples of Newcombe (1998) put into probability bins; and the ROC area of a chance
// forecast, whose standard error is the exact null deviation of the Mann-Whitney statistic.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "run_program.h"

namespace kor::e2e {
namespace {

class KorSummary : public ::testing::Test {
 protected:
  KorSummary() : dir_("summary") {
    dir_.copy_in(std::string(KOR_EXAMPLES) + "/example.trc", "ex.trc");
    dir_.write("tx.ctl", "DEV = TX\n");
  }
  ProgramRun run(const std::string& input) { return run_program(KOR_PROGRAM, dir_, input); }
  ScratchDir dir_;
};

// The numbers of a dump line.
std::vector<double> numbers(const std::string& line) {
  std::vector<double> out;
  std::istringstream in(line);
  for (std::string word; in >> word;) {
    char* end = nullptr;
    const double v = std::strtod(word.c_str(), &end);
    if (end != word.c_str() && *end == '\0') out.push_back(v);
  }
  return out;
}

// The lines of the dump that follow a line starting with `header`, up to the next blank line, for
// each trace in turn.
std::vector<std::vector<std::string>> tables(const std::string& dump, const std::string& header) {
  std::vector<std::vector<std::string>> out;
  std::istringstream lines(dump);
  bool on = false;
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind(header, 0) == 0) {
      out.emplace_back();
      on = true;
    } else if (on && line.find_first_not_of(' ') == std::string::npos) {
      on = false;
    } else if (on) {
      out.back().push_back(line);
    }
  }
  return out;
}

void expect_close(const std::vector<double>& got, const std::vector<double>& want,
                  const std::string& what, double rel = 5e-6) {
  ASSERT_EQ(got.size(), want.size()) << what;
  for (std::size_t i = 0; i < want.size(); ++i) {
    EXPECT_NEAR(got[i], want[i], rel * std::max(1.0, std::fabs(want[i]))) << what << " #" << i;
  }
}

// The 2x2 values of counts F, H, O: SR, POD, CSI, bias.
std::vector<double> performance(double f, double h, double o) {
  return {h / f, h / o, h / (f + o - h), f / o};
}

TEST_F(KorSummary, PerformanceDiagramOfThresholds) {
  // Plot 2: threshold k of x has o = 0.30 exp(-0.12 x), f = o b (1 + 0.02 k) and
  // h = min(f, o) (0.75 - 0.08 k), with b = 1.10 (global) and 0.92 (regional).
  const ProgramRun r = run("tx.ctl\nex.trc\n2 1 8 0\n0\n1003\n0 0\n");
  EXPECT_EQ(r.out.find("left out"), std::string::npos) << r.out;
  const std::string dump = dir_.read("txt.dmp");
  EXPECT_NE(dump.find("X AXIS LABEL = SUCCESS RATIO (1 - FALSE ALARM RATIO)\n"), std::string::npos);
  EXPECT_NE(dump.find("Y AXIS LABEL = PROBABILITY OF DETECTION\n"), std::string::npos);
  const auto t = tables(dump, "        X POSITION");
  ASSERT_EQ(t.size(), 2u);
  const double thresholds[] = {0.254, 2.54, 6.35, 12.7, 25.4};
  const double bias[] = {1.10, 0.92};
  for (int m = 0; m < 2; ++m) {
    ASSERT_EQ(t[m].size(), 5u);  // no summed point: not a time series
    for (int k = 0; k < 5; ++k) {
      const double o = 0.30 * std::exp(-0.12 * thresholds[k]);
      const double f = o * bias[m] * (1.0 + 0.02 * k);
      const double h = std::min(f, o) * (0.75 - 0.08 * k);
      std::vector<double> want{k + 1.0, thresholds[k]};
      for (double v : performance(f, h, o)) want.push_back(v);
      expect_close(numbers(t[m][k]), want, "trace " + std::to_string(m + 1));
    }
  }
}

TEST_F(KorSummary, PerformanceDiagramOfATimeSeriesAddsAllPoints) {
  // Plot 1: day d has N = 9000 + 37 d, o = 0.06 + 0.03 sin(d/4), f = o (b + 0.05 cos(d/3)),
  // h = min(f, o) (0.55 + 0.1 sin(d/5)); the regional model lacks days 8, 9 and 20, which the dump
  // lists with missing values.  The summed point adds N f, N h and N o over the days.
  const ProgramRun r = run("tx.ctl\nex.trc\n1 1 8 0\n0\n1003\n0 0\n");
  EXPECT_EQ(r.out.find("left out"), std::string::npos) << r.out;
  const auto t = tables(dir_.read("txt.dmp"), "        X POSITION");
  ASSERT_EQ(t.size(), 2u);
  const double bias[] = {1.10, 0.92};
  for (int m = 0; m < 2; ++m) {
    ASSERT_EQ(t[m].size(), 31u);
    double sf = 0, sh = 0, so = 0;
    for (int d = 1; d <= 30; ++d) {
      const std::vector<double> row = numbers(t[m][d - 1]);
      if (m == 1 && (d == 8 || d == 9 || d == 20)) {
        EXPECT_EQ(row.back(), -9999.0) << d;
        continue;
      }
      const double n = 9000 + 37 * d;
      const double o = 0.06 + 0.03 * std::sin(d / 4.0);
      const double f = o * (bias[m] + 0.05 * std::cos(d / 3.0));
      const double h = std::min(f, o) * (0.55 + 0.1 * std::sin(d / 5.0));
      sf += n * f;
      sh += n * h;
      so += n * o;
      const std::vector<double> want = performance(f, h, o);
      expect_close({row.end() - 4, row.end()}, want, "day " + std::to_string(d));
    }
    EXPECT_NE(t[m][30].find("ALL POINTS"), std::string::npos);
    expect_close(numbers(t[m][30]), performance(sf, sh, so), "all points");
  }
}

// A trace data file of SL1L2 traces: per trace its model name and, per forecast hour, the count
// and the sums of f, o, f o, f f, o o.
struct Sums {
  double n = 0, f = 0, o = 0, fo = 0, ff = 0, oo = 0;
};
std::string sl1l2_file(const std::vector<std::vector<Sums>>& traces,
                       const std::vector<int>& hours) {
  std::string text;
  char buf[256];
  auto group = [&](int trace, int field, int kind, int n) {
    std::snprintf(buf, sizeof buf, "%4d%4d%3d%3d%4d%4d%3d\n", trace, field, kind, 0, n, 1, 3);
    text += buf;
  };
  const int count = static_cast<int>(traces.size());
  for (int t = 1; t <= count; ++t) {
    group(t, 2, 0, 1);
    text += "1 MODEL" + std::to_string(t) + " 0 0 0\n";
  }
  for (int t = 1; t <= count; ++t) {
    group(t, 10, 0, 1);
    text += "10 0 0 SL1L2 0\n";
  }
  for (int t = 1; t <= count; ++t) {
    group(t, 3, 1, static_cast<int>(hours.size()));
    for (int h : hours) text += "1 " + std::to_string(h) + " 0 0 0\n";
  }
  text += "EOCF\n";
  for (int t = 1; t <= count; ++t) {
    text += std::to_string(t) + " 6 " + std::to_string(hours.size()) + " r F\n";
    for (std::size_t k = 0; k < hours.size(); ++k) {
      const Sums& s = traces[t - 1][k];
      std::snprintf(buf, sizeof buf, "%24.7E%20.12E%20.12E%20.12E%20.12E%20.12E%20.12E\n",
                    static_cast<double>(hours[k]), s.n, s.f, s.o, s.fo, s.ff, s.oo);
      text += buf;
    }
  }
  return text;
}

TEST_F(KorSummary, TaylorStatisticsOfGeneratedPairs) {
  // Two systems at three forecast hours, 150 pairs each: a damped, noisy copy of the observations
  // and an anticorrelated one.  The statistics come from all 450 pairs of a system.
  const std::vector<int> hours{12, 24, 36};
  const double damping[] = {0.85, -0.7}, noise[] = {1.5, 2.5};
  unsigned state = 2024u;
  auto uniform = [&]() {
    state = state * 1103515245u + 12345u;
    return static_cast<double>((state >> 8) & 0xFFFFu) / 65536.0 - 0.5;
  };
  std::vector<std::vector<Sums>> sums(2, std::vector<Sums>(hours.size()));
  std::vector<std::vector<double>> fs(2), os(2);
  for (int m = 0; m < 2; ++m) {
    for (std::size_t k = 0; k < hours.size(); ++k) {
      for (int i = 0; i < 150; ++i) {
        const double o = 15 + 4 * std::sin(i / 9.0 + static_cast<double>(k)) + 2 * uniform();
        const double f = 15.5 + damping[m] * (o - 15) + noise[m] * uniform();
        fs[m].push_back(f);
        os[m].push_back(o);
        Sums& s = sums[m][k];
        s.n += 1;
        s.f += f;
        s.o += o;
        s.fo += f * o;
        s.ff += f * f;
        s.oo += o * o;
      }
    }
  }
  dir_.write("pairs.trc", sl1l2_file(sums, hours));
  const ProgramRun r = run("tx.ctl\npairs.trc\n1 1 9 0\n0\n1101\n0 0\n");
  EXPECT_EQ(r.out.find("left out"), std::string::npos) << r.out;
  const std::string dump = dir_.read("txt.dmp");
  EXPECT_NE(dump.find("X AXIS LABEL = STANDARD DEVIATION (NORMALISED)\n"), std::string::npos);
  // The half circle (a negative correlation) has no ordinate scale.
  EXPECT_NE(dump.find("Y AXIS LABEL =\n"), std::string::npos);
  const auto t = tables(dump, "          SAMPLE SIZE");
  ASSERT_EQ(t.size(), 2u);
  for (int m = 0; m < 2; ++m) {
    const std::size_t n = fs[m].size();
    double mf = 0, mo = 0;
    for (std::size_t i = 0; i < n; ++i) {
      mf += fs[m][i] / n;
      mo += os[m][i] / n;
    }
    double vf = 0, vo = 0, cov = 0, e2 = 0;
    for (std::size_t i = 0; i < n; ++i) {
      const double df = fs[m][i] - mf, dobs = os[m][i] - mo;
      vf += df * df / n;
      vo += dobs * dobs / n;
      cov += df * dobs / n;
      e2 += (df - dobs) * (df - dobs) / n;
    }
    const double sf = std::sqrt(vf), so = std::sqrt(vo);
    ASSERT_EQ(t[m].size(), 1u);
    expect_close(numbers(t[m][0]),
                 {450, sf, so, cov / (sf * so), std::sqrt(e2), sf / so, std::sqrt(e2) / so},
                 "system " + std::to_string(m + 1));
  }
}

TEST_F(KorSummary, WilsonIntervalsOfNewcombesExamplesAsProbabilityBins) {
  // One PBS sample of 460 forecasts in four categories: 263 (81 events), 148 (15), 20 (0) and 29
  // (1), the examples of Newcombe (1998), table I, whose 95 % score intervals are 0.2553-0.3662,
  // 0.0624-0.1605, 0-0.1611 and 0.0061-0.1718.
  dir_.write("bins.trc",
             " 101   3  1  0   1   1  4\n1 a 0 0 0\n 101  10  0  0   1   1  4\n10 0 0 PBS_ABC 0\n"
             "EOCF\n101 8 1 r F\n"
             "           1.0000000E+00  4.600000000000E+02  1.480000000000E+02  2.000000000000E+01"
             "  2.900000000000E+01  8.100000000000E+01  1.500000000000E+01  0.000000000000E+00"
             "  1.000000000000E+00\n");
  dir_.write("ci.ctl", "DEV = TX\nCIL = 95\n");
  const ProgramRun r = run("ci.ctl\nbins.trc\n1 1 6 0\n0\n1360\n0 0\n");
  const auto t = tables(dir_.read("txt.dmp"), "          PROBABILITY");
  ASSERT_EQ(t.size(), 1u) << r.out;
  struct Bin {
    double forecasts, events, lower, upper;
  };
  constexpr Bin kBins[] = {{263, 81, 0.2553, 0.3662},
                           {148, 15, 0.0624, 0.1605},
                           {20, 0, 0.0, 0.1611},
                           {29, 1, 0.0061, 0.1718}};
  ASSERT_EQ(t[0].size(), 4u);
  for (int k = 0; k < 4; ++k) {
    const std::vector<double> row = numbers(t[0][k]);
    ASSERT_EQ(row.size(), 5u) << k;
    EXPECT_NEAR(row[1], kBins[k].forecasts, 1e-3) << k;
    EXPECT_NEAR(row[2], kBins[k].events / kBins[k].forecasts, 1e-5) << k;
    EXPECT_NEAR(row[3], kBins[k].lower, 5e-5) << k;
    EXPECT_NEAR(row[4], kBins[k].upper, 5e-5) << k;
  }
}

TEST_F(KorSummary, RocAreaOfAChanceForecast) {
  // N = 100, F = 40, H = 8, O = 20: odds ratio 48 x 8 / (32 x 12) = 1, the diagonal, area 1/2.
  // With 20 events and 80 non-events its standard error is sqrt(101 / (12 x 20 x 80)).
  dir_.write("chance.trc",
             " 101   3  1  0   1   1  4\n1 a 0 0 0\n 101  10  0  0   1   1  4\n10 0 0 FHO 0\n"
             "EOCF\n101 4 1 r F\n"
             "           1.0000000E+00  1.000000000000E+02  4.000000000000E+01  8.000000000000E+00"
             "  2.000000000000E+01\n");
  dir_.write("roc.ctl", "DEV = TX\nTRACE1 = Chance $AUC\nCIL = 0.95\n");
  run("roc.ctl\nchance.trc\n1 1 5 0\n0\n1032\n0 0\n");
  std::string dump = dir_.read("txt.dmp");
  EXPECT_NE(dump.find("      Chance 0.5000 (SE 0.0725, 95% CI 0.3578-0.6422)\n"), std::string::npos)
      << dump;
  const auto t = tables(dump, "             ROC AREA");
  ASSERT_EQ(t.size(), 1u);
  const double se = std::sqrt(101.0 / 19200), z = 1.959963984540054;
  expect_close(numbers(t[0][0]), {0.5, se, 0.5 - z * se, 0.5 + z * se, 20, 80}, "chance");
  // Without CIL the token takes the area alone and the dump has no interval.
  dir_.write("roc.ctl", "DEV = TX\nTRACE1 = Chance $AUC\n");
  run("roc.ctl\nchance.trc\n1 1 5 0\n0\n1032\n0 0\n");
  dump = dir_.read("txt.dmp");
  EXPECT_NE(dump.find("      Chance 0.5000\n"), std::string::npos) << dump;
  EXPECT_EQ(dump.find("ROC AREA"), std::string::npos);
}

TEST_F(KorSummary, DisplaysThatDoNotSuitTheTraces) {
  struct Case {
    const char* input;
    const char* line;  // the line above the -03 message
  };
  constexpr Case kCases[] = {
      {"1 1 9 0\n0\n1001\n0 0\n",
       " The Taylor diagram (display 9) needs scalar partial sums (SL1L2); trace 1 is FHO.\n"},
      {"1 3 8 0\n1 2\n1003\n0 0\n",
       " The performance diagram (display 8) takes METHOD 1 or 2, not METHOD 3.\n"},
  };
  for (const Case& c : kCases) {
    const ProgramRun r = run(std::string("tx.ctl\nex.trc\n") + c.input);
    EXPECT_NE(
        r.out.find(std::string(c.line) + " -03 = Invalid user-specified over-ride plot type\n"),
        std::string::npos)
        << r.out;
    EXPECT_EQ(r.status, 0);
  }
}

}  // namespace
}  // namespace kor::e2e
