// End-to-end run of kor_batch: a plot list of 30 plots of the bundled examples, four at a time,
// one of them failing; every output under its name, the status lines, and the CSV table of a time
// series against the text dump of the same plot.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "run_program.h"

namespace kor::e2e {
namespace {

namespace fs = std::filesystem;

const std::string kBatch = KOR_BATCH_PROGRAM;
const std::string kPlots = KOR_PLOTS_PROGRAM;
const fs::path kExamples = fs::path(KOR_SOURCE_DIR) / "examples";

std::vector<std::string> split_lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The cells of a CSV line without quoted cells.
std::vector<std::string> cells(const std::string& line) {
  std::vector<std::string> out;
  std::string cell;
  std::istringstream in(line);
  while (std::getline(in, cell, ',')) out.push_back(cell);
  if (!line.empty() && line.back() == ',') out.push_back("");
  return out;
}

std::string trimmed(const std::string& s) {
  const auto a = s.find_first_not_of(' ');
  if (a == std::string::npos) return "";
  return s.substr(a, s.find_last_not_of(' ') - a + 1);
}

// A number as the text dump writes it (1P,E13.5), the missing value for an empty cell.
std::string as_dumped(const std::string& cell) {
  char text[32];
  std::snprintf(text, sizeof text, "%.5E", cell.empty() ? -9999.0 : std::stod(cell));
  return text;
}

TEST(KorBatch, ThirtyPlotsFourAtATime) {
  ScratchDir dir("batch");
  for (const char* f : {"example.trc", "continuous.trc", "probability.trc", "trace.ucd"}) {
    dir.copy_in(kExamples / f, f);
  }
  for (const char* g : {"timeseries", "skillscore", "binned", "histogram", "scatter", "roc",
                        "attribute", "crps", "performance", "taylor"}) {
    dir.copy_in(kExamples / "gallery" / (std::string(g) + ".ctl"), std::string(g) + ".ctl");
  }
  dir.write("tx.ctl", "DEV = TX\n");
  dir.write("csv.ctl", "DEV = CSV\n");
  // One line written by kor_plots, the others by hand.
  const ProgramRun listed =
      run_program(kPlots, {"--plot-list", "1004", "tx.ctl"}, dir, "example.trc 1\n");
  ASSERT_EQ(listed.err, "");
  std::string list = listed.out;
  struct Plot {
    const char* line;
    const char* output;  // the collected output file; "" for a failing plot
  };
  const Plot kPlotList[] = {
      {"tx.ctl | example.trc | 1 1 1 0 | 0 | 1001 | 0 0 | | ts-1001", "ts-1001.txt"},
      {"tx.ctl | example.trc | 1 1 1 0 | 0 | 1002 | 0 0 | | ts-1002", "ts-1002.txt"},
      {"tx.ctl | example.trc | 1 1 1 0 | 0 | 1003 | 0 0 | | ts-1003", "ts-1003.txt"},
      {"", "example-p1-1004.txt"},  // the line of kor_plots
      {"tx.ctl | example.trc | 1 1 1 0 | 0 | 1005 | 0 0 | | ts-1005", "ts-1005.txt"},
      {"tx.ctl | example.trc | 1 1 1 0 | 0 | 1006 | 0 0 | | ts-1006", "ts-1006.txt"},
      {"tx.ctl | example.trc | 1 1 1 0 | 0 | 1007 | 3 0 | | region/ts-1007", "region/ts-1007.txt"},
      {"tx.ctl | example.trc | 2 1 1 0 | 0 | 1001 | 0 0 | | bin-1001", "bin-1001.txt"},
      {"tx.ctl | example.trc | 2 1 1 0 | 0 | 1002 | 0 0 | | bin-1002", "bin-1002.txt"},
      {"tx.ctl | example.trc | 2 1 1 0 | 0 | 1003 | 0 0 | | bin-1003", "bin-1003.txt"},
      {"tx.ctl | example.trc | 2 1 1 0 | 0 | 1004 | 0 0 | | bin-1004", "bin-1004.txt"},
      {"tx.ctl | example.trc | 2 2 1 0 | 1 2 | 1005 1006 | 0 0 | | bin-1005", "bin-1005.txt"},
      {"tx.ctl | example.trc | 2 2 1 -9999 | 1 2 | 1001 1001 | 0 0 | 1 2 | bin-lags",
       "bin-lags.txt"},
      {"tx.ctl | example.trc | 3 3 1 0 | 1 2 | 1101 | 0 0 | | difference", "difference.txt"},
      {"tx.ctl | example.trc | 1 1 0 0 | 0 | 1001 | 0 0 | | page", "page.statspage.txt"},
      {"tx.ctl | example.trc | 1 6 1 0 | 1 2 | 1001 | 0 0 | | sig", "sig.sigtest.txt"},
      {"csv.ctl | example.trc | 1 1 1 0 | 0 | 1001 | 0 0 | | ts-csv", "ts-csv.csv"},
      {"csv.ctl | example.trc | 2 1 1 0 | 0 | 1002 | 0 0 | | bin-csv", "bin-csv.csv"},
      {"csv.ctl | example.trc | 3 2 1 0 | 1 2 | 1101 1101 | 0 0 | | skill-csv", "skill-csv.csv"},
      {"timeseries.ctl | example.trc | 1 1 1 0 | 0 | 1001 | 0 0 | | timeseries",
       "timeseries.png"},
      {"skillscore.ctl | example.trc | 3 2 1 0 | 1 2 | 1101 1101 | 0 0 | | skillscore",
       "skillscore.png"},
      {"binned.ctl | example.trc | 2 1 1 0 | 0 | 1001 | 0 0 | | binned", "binned.png"},
      {"histogram.ctl | example.trc | 1 2 3 0 | 1 | 1001 | 0 0 | | histogram", "histogram.png"},
      {"scatter.ctl | example.trc | 1 2 2 0 | 1 2 | 1001 1001 | 0 0 | | scatter", "scatter.png"},
      {"roc.ctl | probability.trc | 1 1 5 0 | 0 | 1362 | 0 0 | | roc", "roc.png"},
      {"attribute.ctl | probability.trc | 1 1 6 0 | 0 | 1360 | 0 0 | | attribute",
       "attribute.png"},
      {"crps.ctl | probability.trc | 2 1 7 0 | 0 | 2307 | 0 0 | | crps", "crps.png"},
      {"performance.ctl | example.trc | 2 1 8 0 | 0 | 1003 | 0 0 | | performance",
       "performance.png"},
      {"taylor.ctl | continuous.trc | 1 1 9 0 | 0 | 1101 | 0 0 | | taylor", "taylor.png"},
      {"tx.ctl | example.trc | 1 1 1 0 | 0 | x | 0 0 | | bad", ""},
  };
  ASSERT_EQ(std::size(kPlotList), 30u);
  for (const Plot& p : kPlotList) {
    if (*p.line != '\0') list += std::string(p.line) + "\n\n";  // blank lines are skipped
  }
  dir.write("plots.list", list);

  ::setenv("MPLT_IDLE_SECONDS", "1", 1);  // no graphics server stays behind the test
  const ProgramRun r = run_program(kBatch, {"-j", "4", "plots.list"}, dir);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "");
  const std::vector<std::string> out = split_lines(r.out);
  ASSERT_EQ(out.size(), 31u) << r.out;
  int done = 0;
  const std::regex done_line(R"(done   [a-z0-9/-]+ [0-9]+\.[0-9]{2}s)");
  for (std::size_t i = 0; i + 1 < out.size(); ++i) {
    if (std::regex_match(out[i], done_line)) ++done;
  }
  EXPECT_EQ(done, 29) << r.out;
  EXPECT_TRUE(std::regex_search(
      r.out, std::regex(R"((^|\n)failed bad [0-9.]+s STOP 9: Standard input for Op Code failed\.)")))
      << r.out;
  EXPECT_TRUE(std::regex_match(out.back(),
                               std::regex("kor_batch: 30 plots, 29 done, 1 failed, [0-9.]+ s, in .*"
                                          "/plots.out")))
      << out.back();

  const fs::path folder = dir.path() / "plots.out";
  for (const Plot& p : kPlotList) {
    if (*p.output == '\0') continue;
    EXPECT_GT(fs::exists(folder / p.output) ? fs::file_size(folder / p.output) : 0u, 0u)
        << p.output;
  }
  EXPECT_TRUE(fs::exists(folder / "bad.log"));
  EXPECT_FALSE(fs::exists(folder / "bad.txt"));
  EXPECT_FALSE(fs::exists(folder / ".work"));
  // Every run's own log, and the status table: a header and one line per plot.
  const std::vector<std::string> status = split_lines(dir.read("plots.out/status.tsv"));
  ASSERT_EQ(status.size(), 31u);
  EXPECT_EQ(status[0], "line\tname\tstatus\tseconds\tdetail");
  EXPECT_EQ(status[1].substr(0, status[1].find('\t', 2)), "2\texample-p1-1004");
  EXPECT_NE(status.back().find("\tbad\tfailed\t"), std::string::npos) << status.back();

  // The CSV table of the time series holds the text dump's values, point for point.
  const std::vector<std::string> dump = split_lines(dir.read("plots.out/ts-1001.txt"));
  const std::vector<std::string> table = split_lines(dir.read("plots.out/ts-csv.csv"));
  std::vector<std::string> dumped, tabled;
  int trace = 0;
  for (const std::string& line : dump) {
    if (line.rfind("      TRACE NUMBER = ", 0) == 0) trace = std::stoi(line.substr(21));
    if (line.size() != 7 + 13 + 4 + 24 + 4 + 13 || line.find("X POSITION") != std::string::npos) {
      continue;
    }
    dumped.push_back(std::to_string(trace) + " " + trimmed(line.substr(7, 13)) + " " +
                     trimmed(line.substr(24, 24)) + " " + trimmed(line.substr(52)));
  }
  for (std::size_t i = 1; i < table.size(); ++i) {
    const std::vector<std::string> c = cells(table[i]);
    ASSERT_GE(c.size(), 7u) << table[i];
    tabled.push_back(c[1] + " " + as_dumped(c[4]) + " " + c[5] + " " + as_dumped(c[6]));
  }
  EXPECT_EQ(tabled.size(), 60u);
  EXPECT_EQ(tabled, dumped);
}

TEST(KorBatch, UsageErrors) {
  struct Case {
    const char* name;
    std::vector<std::string> args;
    const char* err;  // start of standard error
  };
  const Case kCases[] = {
      {"no plot list", {}, "Usage: kor_batch"},
      {"missing plot list", {"nothere.list"}, "kor_batch: cannot read the plot list nothere.list"},
      {"jobs not a number", {"-j", "many", "plots.list"}, "kor_batch: -j takes"},
      {"chunk beyond its count", {"--chunk", "3/3", "plots.list"}, "kor_batch: --chunk takes"},
      {"unknown option", {"--fast", "plots.list"}, "Usage: kor_batch"},
  };
  for (const Case& c : kCases) {
    ScratchDir dir("batch_usage");
    dir.write("plots.list", "tx.ctl | example.trc | 1 1 1 0 | 0 | 1001 | 0 0 | | a\n");
    const ProgramRun r = run_program(kBatch, c.args, dir);
    EXPECT_EQ(r.status, 2) << c.name;
    EXPECT_EQ(r.err.rfind(c.err, 0), 0u) << c.name << ": " << r.err;
  }
}

// Lines that kor never sees: a wrong field count, an output name that is not plain or that an
// earlier line has fails that line alone; a chunk runs its own lines only.
TEST(KorBatch, BadLinesAndChunks) {
  ScratchDir dir("batch_lines");
  dir.copy_in(kExamples / "example.trc", "example.trc");
  dir.write("tx.ctl", "DEV = TX\n");
  dir.write("plots.list",
            "# a comment\n"
            "tx.ctl | example.trc | 1 1 1 0 | 0 | 1001 | 0 0 | a\n"
            "tx.ctl | example.trc | 1 1 1 0 | 0 | 1001 | 0 0 | | ../up\n"
            "tx.ctl | example.trc | 1 1 1 0 | 0 | 1001 | 0 0 | | good\n"
            "tx.ctl | nothere.trc | 1 1 1 0 | 0 | 1001 | 0 0 | | missing\n"
            "tx.ctl | example.trc | 2 1 1 0 | 0 | 1001 | 0 0 | | good\n");
  const ProgramRun r = run_program(kBatch, {"-j", "2", "-o", "out", "plots.list"}, dir);
  EXPECT_EQ(r.status, 1);
  const std::string status = dir.read("out/status.tsv");
  EXPECT_NE(status.find("2\tline-2\tfailed\t"), std::string::npos) << status;
  EXPECT_NE(status.find("line 2 has 7 fields, not 8"), std::string::npos) << status;
  EXPECT_NE(status.find("3\tline-3\tfailed\t"), std::string::npos) << status;
  EXPECT_NE(status.find("output name '../up' is not a plain name"), std::string::npos) << status;
  EXPECT_NE(status.find("4\tgood\tdone\t"), std::string::npos) << status;
  EXPECT_NE(status.find("5\tmissing\tfailed\t"), std::string::npos) << status;
  EXPECT_NE(status.find("STOP 4: Cannot open"), std::string::npos) << status;
  EXPECT_NE(status.find("6\tline-6\tfailed\t"), std::string::npos) << status;
  EXPECT_NE(status.find("output name 'good' is line 4's already"), std::string::npos) << status;
  EXPECT_TRUE(fs::exists(dir.path() / "out/good.txt"));

  // Chunk 1 of 2 takes the second and fourth plot lines.
  const ProgramRun c = run_program(kBatch, {"--chunk", "1/2", "-o", "out", "plots.list"}, dir);
  EXPECT_EQ(c.status, 1);
  const std::vector<std::string> chunk = split_lines(dir.read("out/status-1.tsv"));
  ASSERT_EQ(chunk.size(), 3u);
  EXPECT_EQ(chunk[1].substr(0, 2), "3\t");
  EXPECT_EQ(chunk[2].substr(0, 2), "5\t");
}

}  // namespace
}  // namespace kor::e2e
