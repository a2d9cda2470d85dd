#include "plot/csv_output.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "plot/kinds.h"

namespace kor::plot {
namespace {

// A row written from named cells, every other column empty.
std::string row(const std::map<std::string, std::string>& cells) {
  std::string line;
  for (std::size_t i = 0; i < std::size(kCsvColumns); ++i) {
    if (i > 0) line += ',';
    const auto it = cells.find(std::string(kCsvColumns[i]));
    if (it != cells.end()) line += it->second;
  }
  return line + "\n";
}

std::string header() {
  std::string line;
  for (std::string_view c : kCsvColumns) line += (line.empty() ? "" : ",") + std::string(c);
  return line + "\n";
}

// The named cells of every row of `table` (no header line), read as RFC 4180 does: a quoted
// cell keeps its commas and line ends, a doubled quote inside it is one quote.
std::vector<std::map<std::string, std::string>> cells_of(const std::string& table) {
  std::vector<std::map<std::string, std::string>> rows;
  std::map<std::string, std::string> r;
  std::string cell;
  std::size_t column = 0;
  bool quoted = false;
  auto end_cell = [&] {
    if (!cell.empty() && column < std::size(kCsvColumns)) {
      r[std::string(kCsvColumns[column])] = cell;
    }
    cell.clear();
    ++column;
  };
  for (std::size_t i = 0; i < table.size(); ++i) {
    const char c = table[i];
    if (quoted) {
      if (c == '"' && i + 1 < table.size() && table[i + 1] == '"') {
        cell += '"';
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        cell += c;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      end_cell();
    } else if (c == '\n') {
      end_cell();
      EXPECT_EQ(column, std::size(kCsvColumns)) << "row " << rows.size();
      rows.push_back(r);
      r.clear();
      column = 0;
    } else {
      cell += c;
    }
  }
  return rows;
}

TEST(CsvCells, NumbersInFullPrecisionAndQuotedTexts) {
  struct Case {
    const char* name;
    std::string cell, want;
  };
  const Case kCases[] = {
      {"a third keeps 17 digits", csv_number(1.0 / 3.0), "0.33333333333333331"},
      {"a whole number", csv_number(250000), "250000"},
      {"a float as plotted", csv_number(static_cast<float>(1.1)), "1.1000000238418579"},
      {"tiny", csv_number(1e-300), "1e-300"},
      {"missing value", csv_number(-9999.0), ""},
      {"missing within 0.1", csv_number(-9999.05), ""},
      {"just outside the tolerance", csv_number(-9999.2), "-9999.2000000000007"},
      {"data table missing", csv_number(-1.1e31), ""},
      {"not a number", csv_number(std::numeric_limits<double>::quiet_NaN()), ""},
      {"infinite", csv_number(std::numeric_limits<double>::infinity()), ""},
      {"plain text", csv_text("MODEL=GLOBAL"), "MODEL=GLOBAL"},
      {"comma", csv_text("a,b"), "\"a,b\""},
      {"quote", csv_text("say \"hi\""), "\"say \"\"hi\"\"\""},
      {"line end", csv_text("a\nb"), "\"a\nb\""},
      {"blank at an end", csv_text(" a"), "\" a\""},
      {"inner blank", csv_text("a b"), "a b"},
      {"empty", csv_text(""), ""},
  };
  for (const Case& c : kCases) EXPECT_EQ(c.cell, c.want) << c.name;
}

// Two traces on merged time labels, the second with a missing value and an abscissa without a
// label; observation counts and one box-whisker object on the second trace.
struct TimeSeriesPlot {
  PlotLayout layout;
  MergedAxis merged;
  TextDumpInput dump;
  CsvInput in;

  TimeSeriesPlot() {
    layout.trace_labels[0] = "MODEL=GLOBAL    ";
    layout.trace_labels[1] = "  Regional, 12h";
    merged.count = 2;
    merged.position = {0.0, 1.0};
    merged.label = {"202611011200            ", "202611021200            "};
    dump.traces = {{{0.0, 1.0}, {1.25, 0.1}, 2}, {{0.0, 1.0, 2.0}, {2.0, -9999.0, 1.0 / 3.0}, 3}};
    dump.merged = &merged;
    dump.label_type = 'c';
    in.plot = 4;
    in.layout = &layout;
    in.dump = &dump;
    in.stat_labels = {"BIAS_SCORE          ", "BIAS_SCORE"};
    in.bin_counts = {120, 80.5};
    BoxWhiskerObject o;
    o.benchmark = 1;
    o.paired = 2;
    o.points = {{1.25, 2.0, 0.5, 0.75, 1.75, 2.0}, {-9999, -9999, -9999, -9999, -9999, -9999}};
    in.box_whiskers = {o};
  }
};

TEST(CsvTable, TimeSeriesWithCountsAndBoxWhiskers) {
  TimeSeriesPlot p;
  std::ostringstream os;
  ASSERT_EQ(write_csv(p.in, os, true), 0);
  const std::string want =
      header() +
      row({{"plot", "4"}, {"trace", "1"}, {"trace_label", "MODEL=GLOBAL"}, {"point", "1"},
           {"x", "0"}, {"x_label", "202611011200"}, {"y", "1.25"}, {"statistic", "BIAS_SCORE"},
           {"bin_count", "120"}}) +
      row({{"plot", "4"}, {"trace", "1"}, {"trace_label", "MODEL=GLOBAL"}, {"point", "2"},
           {"x", "1"}, {"x_label", "202611021200"}, {"y", "0.10000000000000001"},
           {"statistic", "BIAS_SCORE"}, {"bin_count", "80.5"}}) +
      row({{"plot", "4"}, {"trace", "2"}, {"trace_label", "\"Regional, 12h\""}, {"point", "1"},
           {"x", "0"}, {"x_label", "202611011200"}, {"y", "2"}, {"statistic", "BIAS_SCORE"},
           {"bxw_benchmark", "1.25"}, {"bxw_min_whisker", "0.5"}, {"bxw_ci_lower", "0.75"},
           {"bxw_ci_upper", "1.75"}, {"bxw_max_whisker", "2"}, {"bin_count", "120"}}) +
      row({{"plot", "4"}, {"trace", "2"}, {"trace_label", "\"Regional, 12h\""}, {"point", "2"},
           {"x", "1"}, {"x_label", "202611021200"}, {"statistic", "BIAS_SCORE"},
           {"bin_count", "80.5"}}) +
      row({{"plot", "4"}, {"trace", "2"}, {"trace_label", "\"Regional, 12h\""}, {"point", "3"},
           {"x", "2"}, {"y", "0.33333333333333331"}, {"statistic", "BIAS_SCORE"}});
  EXPECT_EQ(os.str(), want);

  // Without the header line, and with real labels: the merged value, or the abscissa itself.
  p.dump.label_type = 'r';
  p.dump.merged_values = {12.5};
  std::ostringstream rows;
  ASSERT_EQ(write_csv(p.in, rows, false), 0);
  const auto cells = cells_of(rows.str());
  ASSERT_EQ(cells.size(), 5u);
  EXPECT_EQ(cells[0].at("x_label"), "12.5");
  EXPECT_EQ(cells[1].at("x_label"), "1");
  EXPECT_EQ(cells[4].at("x_label"), "2");
  std::ofstream closed;
  EXPECT_EQ(write_csv(p.in, closed, true), -23);
}

TEST(CsvTable, DiagramStatistics) {
  struct Case {
    const char* name;
    int final_type;
    int row;  // 0-based, after the header
    std::map<std::string, std::string> cells;
  };
  PlotLayout layout;
  layout.trace_labels = {"Global BS=$BSC", "Area $AUC", "", ""};
  DiagramResults d;
  d.ci_level = 0.95;
  d.performance[0].entries = {{1.0, "", metrics::PerformancePoint{0.5, 0.25, 0.2, 0.5}},
                              {2.0, "", std::nullopt}};
  d.performance[0].total = metrics::PerformancePoint{0.75, 0.5, 0.4, 2.0 / 3.0};
  d.performance[0].has_total = true;
  d.taylor[1] = metrics::TaylorStatistics{100, 2, 4, 0.5, 3};
  d.roc[1].area = 0.875;
  d.roc[1].events = 10;
  d.roc[1].non_events = 30;
  d.roc[1].standard_error = 0.0625;
  d.roc[1].interval = metrics::Interval{0.75, 1.0};
  ReliabilityBin bin{0.5, 40, 10, metrics::Interval{0.125, 0.5}};
  d.reliability[0] = {bin};
  TextDumpInput dump;
  dump.traces = {{{0.0, 0.5}, {0.1, 0.25}, 2},
                 {{0.0, 0.5}, {0.0, 1.0}, 2},
                 {{0.0, 0.5}, {0.5, 0.5}, 2},
                 {{0.0, 0.5}, {0.5, 0.5}, 2}};
  dump.diagrams = &d;
  dump.summary[0] = {0.125, 0.25, 0.01, 0.02, 0.2, -9999};
  dump.summary[1] = {1.5, 0.5, 0.1, 0.2, 0.3, 0.4};
  dump.summary[2] = dump.summary[3] = missing_summary();
  const Case kCases[] = {
      {"performance point", kPerformanceDiagram, 0,
       {{"point", "1"}, {"x", "1"}, {"success_ratio", "0.5"}, {"pod", "0.25"}, {"csi", "0.20000000000000001"},
        {"bias", "0.5"}}},
      {"performance point without values", kPerformanceDiagram, 1, {{"point", "2"}, {"x", "2"}}},
      {"performance total", kPerformanceDiagram, 2,
       {{"x_label", "ALL POINTS"}, {"success_ratio", "0.75"}, {"pod", "0.5"},
        {"csi", "0.40000000000000002"}, {"bias", "0.66666666666666663"}}},
      {"taylor trace without statistics", kTaylorDiagram, 0, {}},
      {"taylor trace", kTaylorDiagram, 1,
       {{"sample_size", "100"}, {"forecast_sd", "2"}, {"observed_sd", "4"},
        {"correlation", "0.5"}, {"centred_rmsd", "3"}, {"sd_ratio", "0.5"},
        {"centred_rmsd_ratio", "0.75"}}},
      {"roc area on every row of its trace", kRocDiagram, 3,
       {{"trace_label", "Area 0.8750 (SE 0.0625, 95% CI 0.7500-1.0000)"}, {"roc_area", "0.875"},
        {"roc_std_error", "0.0625"}, {"events", "10"}, {"non_events", "30"},
        {"ci_lower", "0.75"}, {"ci_upper", "1"}}},
      {"attribute bin and scores", kAttributeDiagram, 1,
       {{"trace_label", "Global BS=0.1250"}, {"forecasts", "40"}, {"events", "10"},
        {"observed_frequency", "0.25"}, {"ci_lower", "0.125"}, {"ci_upper", "0.5"},
        {"brier_score", "0.125"}, {"brier_skill_score", "0.25"}, {"reliability", "0.01"},
        {"resolution", "0.02"}, {"uncertainty", "0.20000000000000001"}}},
      {"attribute point without a bin", kAttributeDiagram, 0,
       {{"brier_score", "0.125"}, {"brier_skill_score", "0.25"}, {"reliability", "0.01"},
        {"resolution", "0.02"}, {"uncertainty", "0.20000000000000001"}}},
      {"use frequency has no scores", kAttributeDiagram, 5, {}},
      {"crps scores", kCrpsReliability, 2,
       {{"rps", "1.5"}, {"rps_skill_score", "0.5"}, {"reliability", "0.10000000000000001"},
        {"resolution", "0.20000000000000001"}, {"uncertainty", "0.29999999999999999"},
        {"potential_rps", "0.40000000000000002"}}},
  };
  for (const Case& c : kCases) {
    dump.final_type = c.final_type;
    CsvInput in;
    in.layout = &layout;
    in.dump = &dump;
    std::ostringstream os;
    ASSERT_EQ(write_csv(in, os, false), 0) << c.name;
    const auto rows = cells_of(os.str());
    ASSERT_LT(c.row, static_cast<int>(rows.size())) << c.name;
    for (const auto& [column, value] : c.cells) {
      const auto it = rows[c.row].find(column);
      EXPECT_EQ(it == rows[c.row].end() ? "" : it->second, value) << c.name << ": " << column;
    }
    // Cells beyond the row's head that the case does not name stay empty.
    for (const auto& [column, value] : rows[c.row]) {
      if (column == "plot" || column == "trace" || column == "trace_label" || column == "point" ||
          column == "x" || column == "x_label" || column == "y") {
        continue;
      }
      EXPECT_TRUE(c.cells.count(column)) << c.name << ": unexpected " << column << "=" << value;
    }
  }
}

TEST(CsvOutput, HeaderOnceWhenAppending) {
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("csv_output_test_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const std::string path = (dir / "kor.csv").string();
  TimeSeriesPlot p;
  auto st = std::make_unique<DriverState>();
  st->results.plot_number = 4;
  st->layout = p.layout;
  st->stat_labels[0] = "BIAS_SCORE";
  std::ostringstream messages;
  for (int run = 0; run < 2; ++run) {
    st->files.text.dump.open(path, run == 0 ? std::ios::out | std::ios::trunc : std::ios::app);
    ASSERT_EQ(write_csv_output(*st, p.dump, nullptr, messages), 0);
    EXPECT_FALSE(st->files.text.dump.is_open());
  }
  std::ifstream in(path);
  const std::string table((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(table.find(header()), 0u);
  EXPECT_EQ(table.find(header(), 1), std::string::npos);
  EXPECT_EQ(cells_of(table).size(), 1u + 2 * 5);
  EXPECT_EQ(messages.str(), "");
  // No file open: -22, reported.
  EXPECT_EQ(write_csv_output(*st, p.dump, nullptr, messages), -22);
  EXPECT_NE(messages.str().find("-22"), std::string::npos);
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace kor::plot
