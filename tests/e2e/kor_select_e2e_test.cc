// kor_select end to end: a generated archive of verification records goes through kor_select and
// then kor and kor_plots.  The test writes the records itself and sums them on its own, so the
// scores kor prints (a time series of the frequency bias, a skill-score plot of the scalar RMSE by
// forecast hour, a binned plot of the equitable threat score by threshold) are checked against
// values computed straight from the records; resampling runs on the trace.ucd written beside them.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "run_program.h"

namespace kor::e2e {
namespace {

const std::string kSelect = KOR_SELECT_PROGRAM;
const std::string kKor = KOR_PROGRAM;
const std::string kPlots = KOR_PLOTS_PROGRAM;

const char* const kModels[] = {"GLOBAL", "REGIONAL"};
const char* const kThresholds[] = {">1", ">5", ">10"};
constexpr int kHours[] = {12, 24, 36};

// Three plots of two traces each: a time series of FHO traces, a skill-score plot of SL1L2 traces
// by forecast hour and a binned plot of FHO traces by threshold.
const char* const kControl =
    " 11  2 0 0 1 1 1\n18 0 0 GLOBAL 0\n"
    " 12  2 0 0 1 1 1\n18 0 0 REGIONAL 0\n"
    " 11 10 0 0 1 1 1\n10 0 0 FHO 0\n 12 10 0 0 1 1 1\n10 0 0 FHO 0\n"
    " 11 11 0 0 1 1 1\n1 >5 0 0 0\n 12 11 0 0 1 1 1\n1 >5 0 0 0\n"
    " 11  9 0 0 1 1 1\n1 CONUS 0 0 0\n 12  9 0 0 1 1 1\n1 CONUS 0 0 0\n"
    " 11  5 1 0 1 1 1\n14 0 0 2026110100 2026113023\n 12  5 1 0 1 1 1\n14 0 0 2026110100 "
    "2026113023\n"
    " 21  2 0 0 1 2 3\n18 0 0 GLOBAL 0\n 22  2 0 0 1 2 3\n18 0 0 REGIONAL 0\n"
    " 21 10 0 0 1 2 3\n10 0 0 SL1L2 0\n 22 10 0 0 1 2 3\n10 0 0 SL1L2 0\n"
    " 21 12 0 0 1 2 3\n10 0 0 T 0\n 22 12 0 0 1 2 3\n10 0 0 T 0\n"
    " 21  9 0 0 1 2 3\n1 CONUS 0 0 0\n 22  9 0 0 1 2 3\n1 CONUS 0 0 0\n"
    " 21  3 1 0 3 2 3\n1 12 0 0 0\n1 24 0 0 0\n1 36 0 0 0\n"
    " 22  3 1 0 3 2 3\n1 12 0 0 0\n1 24 0 0 0\n1 36 0 0 0\n"
    " 31  2 0 0 1 3 4\n18 0 0 GLOBAL 0\n 32  2 0 0 1 3 4\n18 0 0 REGIONAL 0\n"
    " 31 10 0 0 1 3 4\n10 0 0 FHO 0\n 32 10 0 0 1 3 4\n10 0 0 FHO 0\n"
    " 31  9 0 0 1 3 4\n1 CONUS 0 0 0\n 32  9 0 0 1 3 4\n1 CONUS 0 0 0\n"
    " 31 11 1 0 3 3 4\n1 >1 0 0 0\n1 >5 0 0 0\n1 >10 0 0 0\n"
    " 32 11 1 0 3 3 4\n1 >1 0 0 0\n1 >5 0 0 0\n1 >10 0 0 0\n";

// N and the count-weighted sums of one point, as the test adds them up.
struct Sums {
  double n = 0;
  std::vector<double> v;
  void add(int count, const std::vector<double>& values) {
    v.resize(values.size());
    n += count;
    for (std::size_t k = 0; k < values.size(); ++k) v[k] += count * values[k];
  }
};

// The archive: five days of two cycles, three forecast hours, two regions (EAST is never asked
// for), FHO records at three thresholds and SL1L2 2-m temperature records.  The regional model
// has no 36-h forecast at 3 November 00 UTC (a case the global model has alone).  `padding`
// decoy records of a third model are spread through the first file, so that it is read in
// several pieces.
struct Archive {
  std::string first, second;                           // the two record files
  std::map<std::pair<int, long long>, Sums> series;    // (model, verifying time): plot 1
  std::map<std::pair<int, int>, Sums> by_hour;         // (model, forecast hour): plot 2
  std::map<std::pair<int, int>, Sums> by_threshold;    // (model, threshold): plot 3
  std::map<std::pair<int, int>, Sums> by_hour_common;  // plot 2 without the lone case
};

Archive make_archive(int padding) {
  Archive a;
  char line[256];
  int serial = 0;
  for (int day = 1; day <= 5; ++day) {
    for (int cycle : {0, 12}) {
      const long long time = 2026110000LL + day * 100 + cycle;
      for (int m = 0; m < 2; ++m) {
        for (int h : kHours) {
          const bool lone = m == 1 && day == 3 && cycle == 0 && h == 36;
          if (lone) continue;
          for (const char* region : {"CONUS", "EAST"}) {
            const bool used = region[0] == 'C';
            std::string& file = day <= 3 ? a.first : a.second;
            for (int t = 0; t < 3; ++t) {
              ++serial;
              const int n = 200 + (serial * 37) % 300;
              const double o = 0.30 / (t + 1) + 0.01 * day;
              const double f = o * (m == 0 ? 1.1 + 0.02 * h / 12 : 0.85 + 0.01 * cycle / 12);
              const double hit = std::min(f, o) * (0.5 + 0.05 * t + 0.02 * m);
              std::snprintf(line, sizeof line,
                            "V01 %s %d - %lld - - ADPSFC %s FHO %s APCP/24 SFC 0 - = %d %.6f %.6f "
                            "%.6f\n",
                            kModels[m], h, time, region, kThresholds[t], n, f, hit, o);
              file += line;
              if (!used) continue;
              const std::vector<double> values{std::stod(std::to_string(f)),
                                               std::stod(std::to_string(hit)),
                                               std::stod(std::to_string(o))};
              if (t == 1) a.series[{m, time}].add(n, values);
              a.by_threshold[{m, t}].add(n, values);
            }
            ++serial;
            const int n = 50 + (serial * 13) % 100;
            const double ob = 280 + day + 0.5 * cycle / 12;
            const double fb = ob + (m == 0 ? 0.4 : -0.2) + 0.01 * h + 0.1 * day;
            const double fo = fb * ob + 1.5, ff = fb * fb + 2.0 + 0.1 * m, oo = ob * ob + 1.8;
            std::snprintf(line, sizeof line,
                          "V01 %s %d - %lld - - ADPSFC %s SL1L2 - T Z 2 - = %d %.4f %.4f %.4f "
                          "%.4f %.4f\n",
                          kModels[m], h, time, region, n, fb, ob, fo, ff, oo);
            file += line;
            if (used) {
              std::vector<double> values;
              for (double v : {fb, ob, fo, ff, oo}) {
                std::snprintf(line, sizeof line, "%.4f", v);
                values.push_back(std::stod(line));
              }
              a.by_hour[{m, h}].add(n, values);
              if (!(m == 0 && day == 3 && cycle == 0 && h == 36)) {
                a.by_hour_common[{m, h}].add(n, values);
              }
            }
          }
          for (int d = 0; day <= 3 && d < padding / 36; ++d) {
            std::snprintf(line, sizeof line,
                          "V01 DECOY %d - %lld - - ADPSFC CONUS FHO >5 APCP/24 SFC 0 - = 100 0.2 "
                          "0.1 0.2\n",
                          h, time);
            a.first += line;
          }
        }
      }
    }
  }
  a.first = "# first days\n\n" + a.first;
  return a;
}

// The (label, value) rows of each trace of a text dump.
std::vector<std::vector<std::pair<std::string, double>>> dump_rows(const std::string& dump) {
  std::vector<std::vector<std::pair<std::string, double>>> traces;
  std::istringstream in(dump);
  std::string line;
  bool rows = false;
  while (std::getline(in, line)) {
    if (line.find("X POSITION") != std::string::npos) {
      traces.emplace_back();
      rows = true;
      continue;
    }
    std::istringstream words(line);
    std::string x, label, y;
    if (!rows || !(words >> x >> label >> y)) {
      rows = rows && !line.empty() && line != " ";
      continue;
    }
    traces.back().emplace_back(label, std::stod(y));
  }
  return traces;
}

// The text dump's six digits of `expected`.
bool same_printed(double value, double expected) {
  return std::fabs(value - expected) <= 6e-6 * std::fabs(expected) + 1e-12;
}

class KorSelect : public ::testing::Test {
 protected:
  KorSelect() : dir_("select") {
    dir_.write("plots.ctl", kControl);
    dir_.write("tx.ctl", "DEV = TX\n");
    dir_.write("bxw.ctl", "DEV = TX\nBXW = 1/2/.05\nNSM = 200\n");
    std::filesystem::create_directories(dir_.path() / "archive" / "later");
  }
  void write_archive(const Archive& a) {
    dir_.write("archive/first.rec", a.first);
    dir_.write("archive/later/second.rec", a.second);
  }
  ProgramRun select(const std::vector<std::string>& args) {
    return run_program(kSelect, args, dir_);
  }
  std::string kor(const std::string& answers, const std::string& control = "tx.ctl") {
    const ProgramRun r = run_program(kKor, dir_, control + "\nout.trc\n" + answers);
    EXPECT_EQ(r.err, "") << answers;
    return dir_.read("txt.dmp");
  }
  ScratchDir dir_;
};

double bias(const Sums& s) { return s.v[0] / s.v[2]; }
double rmse(const Sums& s) { return std::sqrt((s.v[3] + s.v[4] - 2 * s.v[2]) / s.n); }
double ets(const Sums& s) {
  const double f = s.v[0], h = s.v[1], o = s.v[2], r = f * o / s.n;
  return (h - r) / (f + o - h - r);
}

TEST_F(KorSelect, ScoresFromRecordsEqualScoresComputedFromTheRecords) {
  const Archive a = make_archive(0);
  write_archive(a);
  const ProgramRun r =
      select({"-c", "plots.ctl", "-o", "out.trc", "-u", "trace.ucd", "-j", "2", "archive"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out,
            "kor_select: plot 1: records without a case in every trace, left out of trace.ucd: "
            "trace 11: 1, trace 12: 0\n"
            "kor_select: plot 2: records without a case in every trace, left out of trace.ucd: "
            "trace 21: 1, trace 22: 0\n"
            "kor_select: plot 3: records without a case in every trace, left out of trace.ucd: "
            "trace 31: 3, trace 32: 0\n"
            "kor_select: 472 records in 2 files, 236 selected, written to out.trc and trace.ucd\n");

  // Plot 1: the frequency bias at every verifying time, in time order.
  const auto series = dump_rows(kor("1 1 1 0\n0\n1001\n0 0\n"));
  ASSERT_EQ(series.size(), 2u);
  for (int m = 0; m < 2; ++m) {
    std::vector<std::pair<std::string, double>> expected;
    for (const auto& [key, sums] : a.series) {
      if (key.first == m) expected.emplace_back(std::to_string(key.second) + "00", bias(sums));
    }
    ASSERT_EQ(series[m].size(), expected.size()) << kModels[m];
    for (std::size_t i = 0; i < expected.size(); ++i) {
      EXPECT_EQ(series[m][i].first, expected[i].first);
      EXPECT_TRUE(same_printed(series[m][i].second, expected[i].second))
          << kModels[m] << " " << expected[i].first << ": " << series[m][i].second << " vs "
          << expected[i].second;
    }
  }
  // Plot 2: the RMSE by forecast hour; plot 3: the ETS by threshold.
  const auto hours = dump_rows(kor("2 1 1 0\n0\n1102\n0 0\n"));
  const auto thresholds = dump_rows(kor("3 1 1 0\n0\n1002\n0 0\n"));
  ASSERT_EQ(hours.size(), 2u);
  ASSERT_EQ(thresholds.size(), 2u);
  const char* const hour_labels[] = {"12.00", "24.00", "36.00"};
  const char* const threshold_labels[] = {"1.00000E+00", "5.00000E+00", "1.00000E+01"};
  for (int m = 0; m < 2; ++m) {
    ASSERT_EQ(hours[m].size(), 3u);
    ASSERT_EQ(thresholds[m].size(), 3u);
    for (int i = 0; i < 3; ++i) {
      EXPECT_EQ(hours[m][i].first, hour_labels[i]);
      EXPECT_TRUE(same_printed(hours[m][i].second, rmse(a.by_hour.at({m, kHours[i]}))))
          << kModels[m] << " " << kHours[i];
      EXPECT_EQ(thresholds[m][i].first, threshold_labels[i]);
      EXPECT_TRUE(same_printed(thresholds[m][i].second, ets(a.by_threshold.at({m, i}))))
          << kModels[m] << " " << kThresholds[i];
    }
  }

  // kor_plots lists the three plots.
  const ProgramRun listing = run_program(kPlots, dir_, "out.trc\n");
  EXPECT_NE(listing.out.find("Number of plots available =  3"), std::string::npos);
  EXPECT_NE(listing.out.find("PLOT #  2 is a skill score plot composed of  2 trace(s)."),
            std::string::npos);
  EXPECT_NE(listing.out.find("PLOT #  3 is a binned data plot composed of  2 trace(s)."),
            std::string::npos);

  // Resampling of plot 2 on the written trace.ucd: equal record counts at every point (10, 10
  // and 9 cases, the global model's lone case left out) and a box-whisker row per point.
  const ProgramRun resampled =
      run_program(kKor, dir_, "bxw.ctl\nout.trc\n2 2 1 0\n1 2\n1102 1102\n0 0\n");
  EXPECT_EQ(resampled.err, "");
  for (int p = 1; p <= 3; ++p) {
    const std::string cases = p < 3 ? "10" : "9";
    EXPECT_NE(resampled.out.find("  Resampling at abscissa point #  " + std::to_string(p) +
                                 " with  200 trials.\n  WARNING -- Only  " + cases +
                                 " records found for resampling at X point  " + std::to_string(p) +
                                 ".\n"),
              std::string::npos)
        << resampled.out;
  }
  EXPECT_EQ(resampled.out.find("-04"), std::string::npos) << resampled.out;
  const std::string bxw = dir_.read("txt.dmp_bxw");
  EXPECT_FALSE(bxw.empty());
}

TEST_F(KorSelect, EqualisedSumsAndThreadsGiveTheSameFile) {
  // Padding makes the first file several pieces long.
  const Archive a = make_archive(120000);
  ASSERT_GT(a.first.size(), std::size_t{9} << 20);
  write_archive(a);
  ASSERT_EQ(select({"-c", "plots.ctl", "-o", "one.trc", "-j", "1", "archive"}).status, 0);
  ASSERT_EQ(select({"-c", "plots.ctl", "-o", "three.trc", "-j", "3", "archive"}).status, 0);
  EXPECT_EQ(dir_.read("one.trc"), dir_.read("three.trc"));

  // With -e the 36-h point of the global model leaves out the case the regional model lacks.
  const ProgramRun r = select(
      {"-c", "plots.ctl", "-o", "out.trc", "-e", "archive/first.rec", "archive/later/second.rec"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("plot 2: records without a case in every trace, left out of the sums: "
                       "trace 21: 1, trace 22: 0\n"),
            std::string::npos)
      << r.out;
  const auto hours = dump_rows(kor("2 1 1 0\n0\n1102\n0 0\n"));
  ASSERT_EQ(hours.size(), 2u);
  ASSERT_EQ(hours[0].size(), 3u);
  for (int i = 0; i < 3; ++i) {
    EXPECT_TRUE(same_printed(hours[0][i].second, rmse(a.by_hour_common.at({0, kHours[i]}))));
  }
}

TEST_F(KorSelect, RefusalsNameTheFileAndLineAndLeaveNoFile) {
  const Archive a = make_archive(0);
  write_archive(a);
  dir_.write("out.trc", "an older file\n");
  struct Case {
    const char* name;
    std::vector<std::string> args;
    const char* extra;    // written as archive/later/zz.rec
    const char* control;  // written as bad.ctl when not null
    int status;
    std::string err;  // the start of standard error
  };
  const std::string archive = (dir_.path() / "archive").string();
  const Case kCases[] = {
      {"a record that cannot be read",
       {"-c", "plots.ctl", "-o", "out.trc", "archive"},
       "\n\nV01 GLOBAL 12 - 2026110100 - - ADPSFC CONUS FHO >5 APCP/24 SFC\n",
       nullptr,
       1,
       "kor_select: archive/later/zz.rec:3: a record has 15 fields, \"=\" and the count before "
       "its data values; found 13 tokens\n"},
      {"a selected record with another number of values",
       {"-c", "plots.ctl", "-o", "out.trc", "archive"},
       "V01 GLOBAL 12 - 2026110100 - - ADPSFC CONUS FHO >5 APCP/24 SFC 0 - = 1 0.1 0.1\n",
       nullptr,
       1,
       "kor_select: archive/later/zz.rec:1: the record has 2 data values, the earlier records of "
       "trace 11 (plot 1) have 3\n"},
      {"a selected record with a bad count",
       {"-c", "plots.ctl", "-o", "out.trc", "archive"},
       "V01 GLOBAL 12 - 2026110100 - - ADPSFC CONUS FHO >5 APCP/24 SFC 0 - = n 0.1 0.1 0.1\n",
       nullptr,
       1,
       "kor_select: archive/later/zz.rec:1: the count \"n\" is not a number of 0 or more\n"},
      {"no record for a trace",
       {"-c", "bad.ctl", "-o", "out.trc", "archive"},
       nullptr,
       " 1 2 0 0 1 1 1\n18 0 0 GLOBAL 0\n 1 10 0 0 1 1 1\n10 0 0 SL1L2 0\n"
       " 2 2 0 0 1 1 1\n18 0 0 NOSUCH 0\n",
       1,
       "kor_select: bad.ctl:5: no record selected for trace 2 of plot 1\n"},
      {"a control the reader refuses",
       {"-c", "bad.ctl", "-o", "out.trc", "archive"},
       nullptr,
       " 1 2 0 0 1 1 1\n18 0 0 G\n",
       1,
       "kor_select: bad.ctl:2: a condition record needs five tokens (type and four values)\n"},
      {"an input that is not there",
       {"-c", "plots.ctl", "-o", "out.trc", "missing"},
       nullptr,
       nullptr,
       1,
       "kor_select: missing: no such file or folder\n"},
      {"no control file",
       {"-o", "out.trc", "archive"},
       nullptr,
       nullptr,
       2,
       "kor_select: no control file (-c)\nusage: kor_select"},
      {"no input",
       {"-c", "plots.ctl", "-o", "out.trc"},
       nullptr,
       nullptr,
       2,
       "kor_select: no input: name record files or folders\nusage:"},
      {"a bad thread count",
       {"-j", "0", "-c", "plots.ctl", "-o", "out.trc", "archive"},
       nullptr,
       nullptr,
       2,
       "kor_select: -j wants a number of threads from 1 to 1024, not '0'\n"},
      {"an unknown option", {"-x"}, nullptr, nullptr, 2, "kor_select: unknown option -x\n"},
  };
  for (const Case& c : kCases) {
    std::filesystem::remove(dir_.path() / "archive/later/zz.rec");
    if (c.extra) dir_.write("archive/later/zz.rec", c.extra);
    if (c.control) dir_.write("bad.ctl", c.control);
    const ProgramRun r = select(c.args);
    EXPECT_EQ(r.status, c.status) << c.name;
    EXPECT_EQ(r.err.substr(0, c.err.size()), c.err) << c.name;
    EXPECT_EQ(r.out, "") << c.name;
    EXPECT_EQ(dir_.read("out.trc"), "an older file\n") << c.name;
    std::size_t files = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir_.path())) {
      files += e.path().filename().string().rfind("out.trc", 0) == 0;
    }
    EXPECT_EQ(files, 1u) << c.name << ": a scratch file was left";
  }
  const ProgramRun help = select({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.rfind("usage: kor_select -c CONTROL -o TRACEFILE", 0), 0u);
}

// The same cases as verification records and as .stat lines of the Model Evaluation Tools: CTC
// counts, SL1L2 and VL1L2 means and PCT counts of two models on three days at two lead times.
struct MetCases {
  std::string records, stat_global, stat_regional;
  std::map<std::pair<int, int>, std::array<double, 4>> tables;  // (model, threshold): a, b, c, d
};

MetCases make_met_cases() {
  MetCases c;
  const std::string header =
      "VERSION MODEL DESC FCST_LEAD FCST_VALID_BEG FCST_VALID_END OBS_LEAD OBS_VALID_BEG "
      "OBS_VALID_END FCST_VAR FCST_UNITS FCST_LEV OBS_VAR OBS_UNITS OBS_LEV OBTYPE VX_MASK "
      "INTERP_MTHD INTERP_PNTS FCST_THRESH OBS_THRESH COV_THRESH ALPHA LINE_TYPE\n";
  c.stat_global = header;
  // The regional file has the older layout, without the units columns.
  std::string old_header = header;
  for (const char* units : {" FCST_UNITS", " OBS_UNITS"}) {
    old_header.erase(old_header.find(units), std::string(units).size());
  }
  c.stat_regional = old_header;
  char buf[512];
  for (int m = 0; m < 2; ++m) {
    std::string& stat = m == 0 ? c.stat_global : c.stat_regional;
    for (int day = 1; day <= 3; ++day) {
      for (int lead : {12, 24}) {
        const std::string valid =
            "202611" + std::string(day < 10 ? "0" : "") + std::to_string(day) + "_120000";
        const std::string vymdh = valid.substr(0, 8) + "12";
        auto head = [&](const char* var, const char* lev, const char* thresh) {
          char text[512];
          std::snprintf(text, sizeof text,
                        "V12.0 %s NA %02d0000 %s %s %02d0000 %s %s %s%s %s %s%s %s "
                        "ADPSFC CONUS NEAREST 1 %s %s NA NA ",
                        kModels[m], lead, valid.c_str(), valid.c_str(), lead, valid.c_str(),
                        valid.c_str(), var, m == 0 ? " U" : "", lev, var, m == 0 ? " U" : "", lev,
                        thresh, thresh);
          return std::string(text);
        };
        auto record = [&](const char* stats, const char* thresh, const char* var, const char* lvl,
                          const char* level) {
          char text[256];
          std::snprintf(text, sizeof text,
                        "V12.0 %s %d - %s - - ADPSFC CONUS %s %s %s %s %s 1200 = ", kModels[m],
                        lead, vymdh.c_str(), stats, thresh, var, lvl, level);
          return std::string(text);
        };
        for (int t = 0; t < 2; ++t) {
          const double n = 400 + 10 * day + lead;
          const double a = 40 + 7 * day - 10 * t + m * 5, b = 15 + lead / 6 + 3 * m,
                       cc = 20 + day + 4 * t, d = n - a - b - cc;
          auto& table = c.tables[{m, t}];
          for (int k = 0; k < 4; ++k) table[k] += std::array<double, 4>{a, b, cc, d}[k];
          const char* th = t == 0 ? ">=1" : ">=5";
          std::snprintf(buf, sizeof buf, "CTC %g %g %g %g %g 0\n", n, a, b, cc, d);
          stat += head("APCP_24", "A24", th) + buf;
          std::snprintf(buf, sizeof buf, "%g %.17g %.17g %.17g\n", n, (a + b) / n, a / n,
                        (a + cc) / n);
          c.records += record("FHO", th, "APCP_24", "A", "24") + buf;
        }
        const double ob = 280 + day, fb = ob + 0.3 + 0.2 * m + 0.01 * lead;
        std::snprintf(buf, sizeof buf, "%.4f %.4f %.4f %.4f %.4f", fb, ob, fb * ob + 1.1,
                      fb * fb + 2.0 + m, ob * ob + 1.7);
        stat +=
            head("TMP", "Z2", "NA") + "SL1L2 " + std::to_string(100 + day) + " " + buf + " 0.8\n";
        c.records +=
            record("SL1L2", "-", "TMP", "Z", "2") + std::to_string(100 + day) + " " + buf + "\n";
        std::snprintf(buf, sizeof buf, "%.4f %.4f %.4f %.4f %.4f %.4f %.4f", 10.0 + m, 2.0, 9.5,
                      2.5 - 0.1 * day, 100.0 + day, 110.0 + m, 95.0);
        stat += head("UGRD_VGRD", "P500", "NA") + "VL1L2 " + std::to_string(50 + lead) + " " + buf +
                "\n";
        c.records += record("VL1L2", "-", "UGRD_VGRD", "P", "500") + std::to_string(50 + lead) +
                     " " + buf + "\n";
        // PCT of four categories: forecasts n_i, events y_i.
        const double total = 200 + day;
        const double n_i[] = {80, 60, 40, total - 180}, y_i[] = {5.0 + m, 18, 25, 17.0 + day};
        std::string pct = "PCT " + std::to_string(static_cast<int>(total)) + " 5";
        std::string values;
        for (int i = 0; i < 4; ++i) {
          std::snprintf(buf, sizeof buf, " %.2f %g %g", 0.25 * i, y_i[i], n_i[i] - y_i[i]);
          pct += buf;
        }
        for (int i = 1; i < 4; ++i) {
          std::snprintf(buf, sizeof buf, " %.17g", n_i[i] / total);
          values += buf;
        }
        for (int i = 0; i < 4; ++i) {
          std::snprintf(buf, sizeof buf, " %.17g", y_i[i] / total);
          values += buf;
        }
        stat += head("POP", "A24", "==0.25") + pct + " 1.00\n";
        if (lead == 12) stat += head("TMP", "Z2", "NA") + "CNT 10 NA NA NA\n";
        c.records += record("PBS_PCT", "==0.25", "POP", "A", "24") +
                     std::to_string(static_cast<int>(total)) + values + "\n";
      }
    }
  }
  return c;
}

TEST_F(KorSelect, StatLinesGiveTheScoresOfTheSameCasesAsRecords) {
  auto group = [](int trace, int field, int kind, int n, int plot, int type, const std::string& r) {
    return std::to_string(trace) + " " + std::to_string(field) + " " + std::to_string(kind) +
           " 0 " + std::to_string(n) + " " + std::to_string(plot) + " " + std::to_string(type) +
           "\n" + r;
  };
  std::string control;
  const char* const kStats[] = {"FHO", "SL1L2", "VL1L2", "PBS_PCT"};
  const char* const kParams[] = {"APCP_24", "TMP", "UGRD_VGRD", "POP"};
  for (int p = 1; p <= 4; ++p) {
    for (int m = 0; m < 2; ++m) {
      const int trace = 10 * p + m + 1, type = p == 1 ? 4 : 3;
      control += group(trace, 2, 0, 1, p, type, "18 0 0 " + std::string(kModels[m]) + " 0\n");
      control += group(trace, 10, 0, 1, p, type, "10 0 0 " + std::string(kStats[p - 1]) + " 0\n");
      control += group(trace, 12, 0, 1, p, type, "10 0 0 " + std::string(kParams[p - 1]) + " 0\n");
      control += p == 1 ? group(trace, 11, 1, 2, p, type, "1 >=1 0 0 0\n1 >=5 0 0 0\n")
                        : group(trace, 3, 1, 2, p, type, "1 12 0 0 0\n1 24 0 0 0\n");
    }
  }
  dir_.write("met.ctl", control);
  const MetCases cases = make_met_cases();
  dir_.write("cases.rec", cases.records);
  std::filesystem::create_directories(dir_.path() / "met");
  dir_.write("met/global.stat", cases.stat_global);
  dir_.write("met/regional.stat", cases.stat_regional);
  const ProgramRun from_records = select({"-c", "met.ctl", "-o", "rec.trc", "cases.rec"});
  ASSERT_EQ(from_records.status, 0) << from_records.err;
  const ProgramRun from_stat = select({"-c", "met.ctl", "-o", "out.trc", "met"});
  ASSERT_EQ(from_stat.status, 0) << from_stat.err;
  EXPECT_EQ(from_stat.out,
            "kor_select: .stat lines not used: 6 CNT; values NA in used columns: 0\n"
            "kor_select: the category probabilities of the PCT traces written to pbs_pct.prob\n"
            "kor_select: 60 records in 2 files, 60 selected, written to out.trc\n");
  EXPECT_EQ(dir_.read("out.trc"), dir_.read("rec.trc"));
  EXPECT_EQ(dir_.read("pbs_pct.prob"),
            "category probability (the middle of its edges), written by kor_select\n"
            "1 0.125\n2 0.375\n3 0.625\n4 0.875\n");

  // The scores of the 2x2 tables the CTC lines hold: bias (a + b) / (a + c) and the equitable
  // threat score (a - r) / (a + b + c - r), r = (a + b)(a + c) / n.
  const auto bias_rows = dump_rows(kor("1 1 1 0\n0\n1001\n0 0\n"));
  const auto ets_rows = dump_rows(kor("1 1 1 0\n0\n1002\n0 0\n"));
  ASSERT_EQ(bias_rows.size(), 2u);
  ASSERT_EQ(ets_rows.size(), 2u);
  for (int m = 0; m < 2; ++m) {
    for (int t = 0; t < 2; ++t) {
      const auto [a, b, c, d] = cases.tables.at({m, t});
      const double n = a + b + c + d, r = (a + b) * (a + c) / n;
      EXPECT_TRUE(same_printed(bias_rows[m][t].second, (a + b) / (a + c))) << m << t;
      EXPECT_TRUE(same_printed(ets_rows[m][t].second, (a - r) / (a + b + c - r))) << m << t;
    }
  }
  // The other record types (the files being the same, so are their scores) give scores.
  const char* const kRuns[] = {"2 1 1 0\n0\n1102\n0 0\n", "2 1 1 0\n0\n1103\n0 0\n",
                               "3 1 1 0\n0\n1202\n0 0\n", "3 1 1 0\n0\n1209\n0 0\n",
                               "4 1 1 0\n0\n1301\n0 0\n"};
  for (const char* run : kRuns) {
    const auto rows = dump_rows(kor(run));
    ASSERT_EQ(rows.size(), 2u) << run;
    for (const auto& trace : rows) {
      ASSERT_EQ(trace.size(), 2u) << run;
      for (const auto& [label, value] : trace) EXPECT_GT(value, -9999) << run << label;
    }
  }
}

}  // namespace
}  // namespace kor::e2e
