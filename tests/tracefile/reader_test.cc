#include "tracefile/reader.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "tracefile/format.h"

namespace kor::tracefile {
namespace {

namespace fs = std::filesystem;

// --- building small trace data files ------------------------------------------------------

std::string group(int trace, int field, int kind, int n, int plot, int type) {
  std::ostringstream os;
  os << trace << ' ' << field << ' ' << kind << " 0 " << n << ' ' << plot << ' ' << type << '\n';
  return os.str();
}

std::string cond(const std::string& record) { return record + "\n"; }

// One dependent-variable group of one record.
std::string dep(int trace, int field, int plot, int type, const std::string& record) {
  return group(trace, field, 0, 1, plot, type) + cond(record);
}

std::string plain(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%20.12E", v);
  return buf;
}

std::string label24(const std::string& s) { return (s + std::string(24, ' ')).substr(0, 24); }

std::string real_label(double x) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%24.7E", x);
  return buf;
}

// Data group with character labels and plain values.
std::string data_c(int trace, const std::vector<std::string>& labels,
                   const std::vector<std::vector<double>>& rows, bool time = true) {
  std::ostringstream os;
  os << trace << ' ' << rows[0].size() << ' ' << rows.size() << (time ? " c F\n" : " cc F\n");
  for (std::size_t i = 0; i < rows.size(); ++i) {
    os << label24(labels[i]);
    for (double v : rows[i]) os << plain(v);
    os << '\n';
  }
  return os.str();
}

std::string data_r(int trace, const std::vector<double>& labels,
                   const std::vector<std::vector<double>>& rows) {
  std::ostringstream os;
  os << trace << ' ' << rows[0].size() << ' ' << rows.size() << " r F\n";
  for (std::size_t i = 0; i < rows.size(); ++i) {
    os << real_label(labels[i]);
    for (double v : rows[i]) os << plain(v);
    os << '\n';
  }
  return os.str();
}

class ReaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("kor_reader_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
    state_ = std::make_unique<ReaderState>();
  }
  void TearDown() override { fs::remove_all(dir_); }

  // Writes `text` and runs RDTD_INI and RDTD_FND for `plot`.  Returns the first nonzero code.
  int load(const std::string& text, int plot, int read_data = 1) {
    const fs::path path = dir_ / "t.trc";
    {
      std::ofstream out(path, std::ios::binary);
      out << text;
    }
    if (!unit_.open(path.string())) return 999;
    int rc = RDTD_INI(*state_, unit_, plot_count_);
    if (rc != 0) return rc;
    return RDTD_FND(*state_, unit_, plot, read_data, trace_count_, plot_type_, out_);
  }

  // What the reader wrote since the last call.
  std::string printed() {
    const std::string text = out_.str();
    out_.str("");
    return text;
  }

  fs::path dir_;
  util::TextUnit unit_{8};
  std::unique_ptr<ReaderState> state_;
  int plot_count_ = 0, trace_count_ = 0, plot_type_ = 0;
  std::ostringstream out_;
};

// --- the bundled example ------------------------------------------------------------------

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream os;
  os << in.rdbuf();
  return os.str();
}

TEST_F(ReaderTest, ExampleTimeSeriesPlot) {
  const std::string text = read_file(std::string(KOR_EXAMPLES) + "/example.trc");
  ASSERT_FALSE(text.empty());
  (void)printed();
  ASSERT_EQ(load(text, 1), 0);
  EXPECT_EQ(printed(), "");
  EXPECT_EQ(plot_count_, 3);
  EXPECT_EQ(trace_count_, 2);
  EXPECT_EQ(plot_type_, 1);
  EXPECT_EQ(state_->label_type, 't');
  EXPECT_EQ(state_->traces[0].file_trace, 11);
  EXPECT_EQ(state_->traces[1].file_trace, 12);
  EXPECT_EQ(state_->traces[0].points, 30);
  EXPECT_EQ(state_->traces[1].points, 27);
  EXPECT_EQ(state_->traces[0].depth, 4);
  EXPECT_EQ(state_->traces[0].stat_type, label24("FHO"));
  EXPECT_EQ(state_->traces[0].param_label, label24("APCP/24"));
  // Daily points from 1 November 12:00; the regional trace lacks the 8th and 9th.
  EXPECT_EQ(state_->xpos(1, 1), 0);
  EXPECT_EQ(state_->xpos(1, 30), 29 * 1440);
  EXPECT_EQ(state_->xpos(2, 7), 6 * 1440);
  EXPECT_EQ(state_->xpos(2, 8), 9 * 1440);
  EXPECT_EQ(state_->label(2, 8), label24("202611101200"));
  // First point of the global trace: N = 9037, the fractions times N.
  EXPECT_DOUBLE_EQ(state_->sum(1, 1, 1), 9037.0);
  EXPECT_NEAR(state_->sum(1, 4, 1) / 9037.0, 0.06 + 0.03 * std::sin(0.25), 1e-12);
  EXPECT_EQ(state_->sum(1, 5, 1), kMissingFill);
  // STATS, PARAM and V_RGN are shared: general sets; the models are specific.
  ASSERT_EQ(state_->general_count, 3);
  EXPECT_EQ(state_->general[0].field_id, 10);
  ASSERT_EQ(state_->traces[1].specific_count, 1);
  EXPECT_EQ(state_->traces[1].specific[0].field_id, 2);
  EXPECT_EQ(state_->traces[1].specific[0].values[0], label24("REGIONAL"));
  EXPECT_EQ(state_->first_ind_field, 5);
  EXPECT_EQ(state_->traces[0].indvar_label, label24("20261101002026113000"));

  LabelLines glb;
  ASSERT_EQ(RDTD_GLB(*state_, 5, 40, glb), 0);
  ASSERT_EQ(glb.count, 3);
  EXPECT_EQ(glb.stat_type, label24("FHO"));
  EXPECT_EQ(glb.name[1], "PARAM");
  EXPECT_EQ(glb.text[1].substr(0, glb.length[1]), "APCP/24");
  EXPECT_EQ(glb.text[1].size(), 40u);
  LabelLines tlb;
  ASSERT_EQ(RDTD_TLB(*state_, 2, 5, 40, tlb), 0);
  ASSERT_EQ(tlb.count, 1);
  EXPECT_EQ(tlb.name[0], "MODEL");
  EXPECT_EQ(tlb.text[0].substr(0, tlb.length[0]), "REGIONAL");
  EXPECT_EQ(tlb.stat_type, label24(""));
}

TEST_F(ReaderTest, ExampleThresholdPlotMergesRealLabels) {
  ASSERT_EQ(load(read_file(std::string(KOR_EXAMPLES) + "/example.trc"), 2), 0);
  EXPECT_EQ(trace_count_, 2);
  EXPECT_EQ(plot_type_, 4);
  EXPECT_EQ(state_->label_type, 'r');
  EXPECT_FALSE(state_->no_common_axis);
  ASSERT_EQ(state_->merged_count, 5);
  const double thresholds[] = {0.254, 2.54, 6.35, 12.7, 25.4};
  for (int j = 1; j <= 5; ++j) {
    EXPECT_NEAR(state_->merged_real[state_->merged_order[j - 1] - 1], thresholds[j - 1], 1e-9);
    EXPECT_EQ(state_->xpos(2, j), j);
  }
  EXPECT_EQ(state_->cell_count, 5);
  EXPECT_EQ(state_->cells[0][3].value1, label24(">12.7"));
}

TEST_F(ReaderTest, ExampleSkillScorePlotConvertsLabelsAndReadsPackedValues) {
  ASSERT_EQ(load(read_file(std::string(KOR_EXAMPLES) + "/example.trc"), 3), 0);
  EXPECT_EQ(plot_type_, 3);
  EXPECT_EQ(state_->label_type, 'c');
  EXPECT_EQ(state_->label(1, 1), label24("     12.00"));
  EXPECT_EQ(state_->merged_label[5], label24("     72.00"));
  EXPECT_EQ(state_->traces[1].depth, 6);
  // Packed forecast mean of the regional trace at 12 h: 283 + 0.4 * (0.5 + 12/72).
  const double fmean = 283.0 + 0.4 * (0.5 + 12.0 / 72.0);
  EXPECT_NEAR(state_->sum(2, 2, 1), 120000.0 * fmean, 120000.0 * fmean * 1e-11);
  EXPECT_NEAR(state_->sum(2, 2, 1) / state_->sum(2, 1, 1),
              state_->sum(2, 3, 1) / 120000.0 + 0.4 * (0.5 + 12.0 / 72.0), 1e-8);
}

// --- header section -----------------------------------------------------------------------

TEST_F(ReaderTest, HeaderSectionErrors) {
  const std::string fho = dep(1, 10, 1, 4, "10 0 0 FHO 0");
  const std::string cell = "1 >1 0 0 0\n";
  struct Case {
    const char* what;
    std::string text;
    int plot;
    int expected;
  };
  const Case kCases[] = {
      {"header with six integers", "1 2 0 0 1 1\n1 A 0 0 0\nEOCF\n", 1, -1},
      {"header with a word is read as -99 but counted", "1 2 0 x 1 1 4\n1 A 0 0 0\nEOCF\n", 1, 0},
      {"plot type outside 1 to 4 is kept for the caller", "1 2 0 0 1 1 9\n1 A 0 0 0\nEOCF\n", 1, 0},
      {"negative record count", "1 2 0 0 -1 1 4\nEOCF\n", 1, -1},
      {"no EOCF after a condition record", "1 2 0 0 1 1 4\n1 A 0 0 0\n", 1, -4},
      {"empty file", "", 1, -4},
      {"EOCF inside a group", "1 2 0 0 2 1 4\n1 A 0 0 0\nEOCF\n", 1, -2},
      {"condition record with four tokens", "1 2 0 0 1 1 4\n1 A 0 0\nEOCF\n", 1, -3},
      {"condition type not an integer", "1 2 0 0 1 1 4\nX A 0 0 0\nEOCF\n", 1, -8},
      {"negative condition type", "1 2 0 0 1 1 4\n-2 A 0 0 0\nEOCF\n", 1, -8},
      {"plot types differ", dep(1, 2, 1, 1, "1 A 0 0 0") + dep(2, 2, 1, 3, "1 B 0 0 0") + "EOCF\n",
       1, -6},
      {"pair in a group of two records", group(1, 5, 0, 2, 1, 4) + "5 1 2 0 0\n1 3 0 0 0\nEOCF\n",
       1, -9},
      {"33 records in a dependent group",
       group(1, 2, 0, 33, 1, 4) +
           [] {
             std::string s;
             for (int i = 0; i < 33; ++i) s += "1 M" + std::to_string(i) + " 0 0 0\n";
             return s;
           }() +
           "EOCF\n",
       1, -13},
      {"cell counts disagree",
       fho + group(1, 11, 1, 2, 1, 4) + cell + cell + group(2, 11, 1, 3, 1, 4) + cell + cell +
           cell + "EOCF\n",
       1, -7},
      {"65 cells",
       group(1, 11, 1, 65, 1, 4) +
           [&] {
             std::string s;
             for (int i = 0; i < 65; ++i) s += cell;
             return s;
           }() +
           "EOCF\n",
       1, -1},
      {"nine independent-variable groups",
       [&] {
         std::string s;
         for (int g = 0; g < 9; ++g) s += group(1, 11, 1, 1, 1, 4) + cell;
         return s + "EOCF\n";
       }(),
       1, -1},
      {"25 traces",
       [] {
         std::string s;
         for (int t = 1; t <= 25; ++t) s += dep(t, 2, 1, 4, "1 M 0 0 0");
         return s + "EOCF\n";
       }(),
       1, -5},
      {"17 general condition sets",
       [] {
         std::string s;
         for (int f = 1; f <= 17; ++f) {
           s += dep(1, f, 1, 4, "1 V 0 0 0") + dep(2, f, 1, 4, "1 V 0 0 0");
         }
         return s + "EOCF\n";
       }(),
       1, -10},
      {"17 specific conditions",
       [] {
         std::string s;
         for (int f = 1; f <= 17; ++f) s += dep(1, f, 1, 4, "1 V 0 0 0");
         return s + "EOCF\n";
       }(),
       1, -12},
  };
  for (const Case& c : kCases) {
    state_ = std::make_unique<ReaderState>();
    EXPECT_EQ(load(c.text, c.plot, 0), c.expected) << c.what;
  }
}

TEST_F(ReaderTest, PlotCountIsTheLargestPlotNumber) {
  const std::string text = dep(1, 2, 1, 4, "1 A 0 0 0") + dep(5, 2, 3, 4, "1 B 0 0 0") + "EOCF\n";
  ASSERT_EQ(load(text, 2), 0);
  EXPECT_EQ(plot_count_, 3);
  EXPECT_EQ(trace_count_, 0);
  // Plot 3 holds one trace (file trace 5); its only group is a specific condition.
  state_ = std::make_unique<ReaderState>();
  ASSERT_EQ(load(text + "5 1 1 c F\nABC                       1.0\n", 3, 0), 0);
  EXPECT_EQ(trace_count_, 1);
  EXPECT_EQ(state_->traces[0].file_trace, 5);
  EXPECT_EQ(state_->traces[0].specific_count, 1);
}

TEST_F(ReaderTest, GeneralLabelsStopAtTheLineLimit) {
  std::string text;
  for (int f = 1; f <= 7; ++f) {
    text += dep(1, f, 1, 4, "1 V" + std::to_string(f) + " 0 0 0") +
            dep(2, f, 1, 4, "1 V" + std::to_string(f) + " 0 0 0");
  }
  text += "EOCF\n";
  ASSERT_EQ(load(text, 1, 0), 0);
  ASSERT_EQ(state_->general_count, 7);
  LabelLines lines;
  EXPECT_EQ(RDTD_GLB(*state_, 5, 24, lines), 1);
  EXPECT_EQ(lines.count, 5);
  EXPECT_EQ(lines.name[4], "VYMDH");
  EXPECT_EQ(lines.text[4], label24("V5"));
  EXPECT_EQ(lines.stat_type, label24("NONE"));
  EXPECT_EQ(RDTD_TLB(*state_, 1, 5, 24, lines), -35);
  EXPECT_EQ(RDTD_TLB(*state_, 3, 5, 24, lines), -37);
  EXPECT_EQ(RDTD_TLB(*state_, 0, 5, 24, lines), -37);
}

TEST_F(ReaderTest, ConditionTextsOfPairsAndLists) {
  const std::string text = group(1, 5, 0, 1, 1, 4) + "5 2016010100 2016013100 0 0\n" +
                           group(1, 2, 0, 3, 1, 4) + "1 A 0 0 0\n1 B 0 0 0\n1 C 0 0 0\n" +
                           group(1, 30, 0, 1, 1, 4) + "0 x x x x\nEOCF\n";
  ASSERT_EQ(load(text, 1, 0), 0);
  LabelLines lines;
  EXPECT_EQ(RDTD_TLB(*state_, 1, 5, 30, lines), -33);  // field ID 30 has no name
  ASSERT_EQ(lines.count, 2);
  EXPECT_EQ(lines.text[0].substr(0, lines.length[0]), "2016010100-2016013100");
  EXPECT_EQ(lines.text[1].substr(0, lines.length[1]), "A+B+C");
}

TEST_F(ReaderTest, IndependentVariableLabelLeavesOutZeroTokens) {
  const std::string text = group(1, 11, 1, 1, 1, 4) + "14 0 0 >=10 20\n" +
                           group(2, 11, 1, 1, 1, 4) + "0 5 5 5 5\nEOCF\n";
  ASSERT_EQ(load(text, 1, 0), 0);
  EXPECT_EQ(state_->traces[0].indvar_label, label24(">=1020"));
  EXPECT_EQ(state_->traces[1].indvar_label, label24("ALL"));
  EXPECT_EQ(state_->cells[0][0].value1, label24(">=10"));
  EXPECT_EQ(state_->cells[0][0].value2, label24("20"));
  // Traces without specific conditions receive their independent-variable label.
  ASSERT_EQ(state_->traces[1].specific_count, 1);
  EXPECT_EQ(state_->traces[1].specific[0].field_id, 11);
  EXPECT_EQ(state_->traces[1].specific[0].values[0], label24("ALL"));
}

// --- data section -------------------------------------------------------------------------

const std::string kTwoTraceHeader =
    dep(1, 2, 1, 4, "1 A 0 0 0") + dep(2, 2, 1, 4, "1 B 0 0 0") + "EOCF\n";

TEST_F(ReaderTest, DataSectionErrors) {
  const std::string rec = real_label(1.0) + plain(10.0) + plain(2.0) + "\n";
  const std::string one = dep(1, 2, 1, 4, "1 A 0 0 0") + "EOCF\n";
  struct Case {
    const char* what;
    std::string text;
    int expected;
  };
  const Case kCases[] = {
      {"data header with four tokens", one + "1 2 1 r\n" + rec, -14},
      {"depth 29", one + "1 29 1 r F\n" + rec, -15},
      {"depth 0", one + "1 0 1 r F\n" + rec, -15},
      {"2049 records", one + "1 2 2049 r F\n" + rec, -15},
      {"negative record count", one + "1 2 -4 r F\n" + rec, -15},
      {"record shorter than its values", one + "1 3 1 r F\n" + rec, -17},
      {"file ends inside the records", one + "1 2 2 r F\n" + rec, -17},
      {"value that is not a number",
       one + "1 2 1 r F\n" + real_label(1.0) + plain(10.0) + "        2.0x10^4    \n", -17},
      {"packed pair outside 0 to 99",
       one + "1 1 1 r T\n" + real_label(1.0) + " " + std::string(7, '~') + "\n", -17},
      {"trace data missing", kTwoTraceHeader + "1 2 1 r F\n" + rec, -28},
      {"skipped group ends early", one + "7 2 3 r F\n" + rec, -16},
      {"no data at all", one, -28},
  };
  for (const Case& c : kCases) {
    state_ = std::make_unique<ReaderState>();
    EXPECT_EQ(load(c.text, 1), c.expected) << c.what;
  }
}

TEST_F(ReaderTest, ErrorsNameTheRecordTheyWereFoundAt) {
  // Line numbers counted by hand: dep() writes two lines, so `one` ends with EOCF on line 3 and
  // its data header is line 4; `two` ends on line 5.
  const std::string rec = real_label(1.0) + plain(10.0) + plain(2.0) + "\n";
  const std::string one = dep(1, 2, 1, 4, "1 A 0 0 0") + "EOCF\n";
  const std::string series = dep(1, 2, 1, 1, "1 A 0 0 0") + "EOCF\n";
  const std::string two = dep(1, 2, 1, 1, "1 A 0 0 0") + dep(2, 2, 1, 1, "1 B 0 0 0") + "EOCF\n";
  const std::string skill = dep(1, 2, 1, 3, "1 A 0 0 0") + "EOCF\n";
  const auto rows2 = std::vector<std::vector<double>>{{1}, {1}};
  // A tab where the label's leading blanks belong shifts every value field by ten columns.
  const std::string tabbed = "\t2.0000000E+00" + plain(10.0) + plain(2.0) + "\n";
  struct Case {
    const char* what;
    std::string text;
    int expected;
    std::size_t line;
    bool at_end;
  };
  const Case kCases[] = {
      {"short group header after a good group",
       dep(1, 2, 1, 4, "1 A 0 0 0") + "1 2 0 0 1 1\nEOCF\n", -1, 3, false},
      {"condition record with four tokens", "1 2 0 0 1 1 4\n1 A 0 0\nEOCF\n", -3, 2, false},
      {"EOCF record inside a group", "1 2 0 0 2 1 4\n1 A 0 0 0\nEOCF\n", -2, 3, false},
      {"no EOCF record", "1 2 0 0 1 1 4\n1 A 0 0 0\n", -4, 2, true},
      {"empty file", "", -4, 0, true},
      {"data header with depth 29", one + "1 29 1 r F\n" + rec, -15, 4, false},
      {"record shorter than its values", one + "1 3 1 r F\n" + rec, -17, 5, false},
      {"tab in the label columns", one + "1 2 2 r F\n" + rec + tabbed, -17, 6, false},
      {"file ends inside the records", one + "1 2 2 r F\n" + rec, -17, 5, true},
      {"trace data missing", kTwoTraceHeader + "1 2 1 r F\n" + rec, -28, 7, true},
      // Errors found after the trace's records were read name the record they concern.
      {"real labels on a time series: its data header", series + data_r(1, {1.0}, {{1.0}}), -18, 4,
       false},
      {"time going back at the second point",
       series + data_c(1, {"201602290000", "201602281200", "201603010000"}, {{1}, {1}, {1}}), -20,
       6, false},
      {"time standing still at the second point",
       series + data_c(1, {"201602290000", "201602290000", "201603010000"}, {{1}, {1}, {1}}), -54,
       6, false},
      {"second trace starting on an invalid date",
       two + data_c(1, {"201602290000"}, {{1}}) +
           data_c(2, {"201513010000", "201601010000"}, {{1}, {1}}),
       -19, 9, false},
      {"text labels on a skill-score plot: the data header",
       skill + data_c(1, {"A", "B"}, rows2, false), -23, 4, false},
      {"first label too wide for its text", skill + data_r(1, {1.0e9, 1.0}, rows2), -24, 5, false},
  };
  for (const Case& c : kCases) {
    state_ = std::make_unique<ReaderState>();
    EXPECT_EQ(load(c.text, 1), c.expected) << c.what;
    const ErrorPlace& place = state_->error_place;
    EXPECT_TRUE(place.known) << c.what;
    EXPECT_EQ(place.file, (dir_ / "t.trc").string()) << c.what;
    EXPECT_EQ(place.line, c.line) << c.what;
    EXPECT_EQ(place.at_end, c.at_end) << c.what;
  }
  // A plot read without an error has no place, and neither has a new start after an error.
  state_ = std::make_unique<ReaderState>();
  ASSERT_EQ(load(one + "1 2 1 r F\n" + rec, 1), 0);
  EXPECT_FALSE(state_->error_place.known);
  ASSERT_EQ(load(one + "1 3 1 r F\n" + rec, 1), -17);
  int plots = 0;
  ASSERT_EQ(RDTD_INI(*state_, unit_, plots), 0);
  EXPECT_FALSE(state_->error_place.known);
}

TEST_F(ReaderTest, DataGroupsOfOtherTracesAreSkipped) {
  const std::string text = kTwoTraceHeader + "9 1 2 r F\n" + real_label(1) + plain(1) + "\n" +
                           real_label(2) + plain(2) + "\n" + data_r(1, {1.0}, {{5.0, 1.0}}) +
                           data_r(2, {1.0}, {{6.0, 2.0}});
  ASSERT_EQ(load(text, 1), 0);
  EXPECT_DOUBLE_EQ(state_->sum(1, 1, 1), 5.0);
  EXPECT_DOUBLE_EQ(state_->sum(2, 2, 1), 2.0);
}

TEST_F(ReaderTest, WeightColumnAndMissingPoints) {
  std::string text = dep(1, 2, 1, 4, "1 A 0 0 0") + "EOCF\n1 2 2 r F W\n";
  text += real_label(1.0) + plain(-1.1e31) + plain(3.0) + plain(0.5) + "\n";
  text += real_label(2.0) + plain(-2.0e30) + plain(4.0) + plain(0.25) + "\n";
  ASSERT_EQ(load(text, 1), 0);
  EXPECT_TRUE(state_->traces[0].has_weight);
  EXPECT_TRUE(state_->traces[0].all_missing);
  EXPECT_DOUBLE_EQ(state_->weight(1, 2), 0.25);
  EXPECT_DOUBLE_EQ(state_->sum(1, 2, 2), 4.0);
  EXPECT_DOUBLE_EQ(state_->weight(1, 3), -1.0);
}

TEST_F(ReaderTest, MergeMatchesRealLabelsWithinTolerance) {
  const std::string text = kTwoTraceHeader + data_r(1, {10.0, 20.0}, {{1, 1}, {1, 1}}) +
                           data_r(2, {20.0005, 30.0}, {{1, 1}, {1, 1}});
  ASSERT_EQ(load(text, 1), 0);
  ASSERT_EQ(state_->merged_count, 3);
  EXPECT_EQ(state_->xpos(2, 1), 2);
  EXPECT_EQ(state_->xpos(2, 2), 3);
}

TEST_F(ReaderTest, MergeSortsWithoutAMasterTrace) {
  // Trace 2 adds 5 and has three points: it is the last trace, so the list is sorted.
  const std::string text = kTwoTraceHeader + data_r(1, {30.0, 10.0}, {{1, 1}, {1, 1}}) +
                           data_r(2, {10.0, 5.0, 30.0}, {{1, 1}, {1, 1}, {1, 1}});
  ASSERT_EQ(load(text, 1), 0);
  ASSERT_EQ(state_->merged_count, 3);
  EXPECT_EQ(state_->xpos(1, 1), 3);  // 30
  EXPECT_EQ(state_->xpos(1, 2), 2);  // 10
  EXPECT_EQ(state_->xpos(2, 2), 1);  // 5
}

TEST_F(ReaderTest, AnAllMissingTraceIsNeverTheMaster) {
  // Trace 2 has as many points as the merged list (10, 20 and the 5 of trace 3) but all missing:
  // the master is trace 3, the last trace, so the list is sorted; trace 2's labels would not even
  // be found in it.
  const std::string text =
      dep(1, 2, 1, 4, "1 A 0 0 0") + dep(2, 2, 1, 4, "1 B 0 0 0") + dep(3, 2, 1, 4, "1 C 0 0 0") +
      "EOCF\n" + data_r(1, {10.0, 20.0}, {{1, 1}, {1, 1}}) +
      data_r(2, {30.0, 40.0, 50.0}, {{-1.1e31, 0}, {-1.1e31, 0}, {-1.1e31, 0}}) +
      data_r(3, {5.0, 10.0, 20.0}, {{1, 1}, {1, 1}, {1, 1}});
  ASSERT_EQ(load(text, 1), 0);
  ASSERT_EQ(state_->merged_count, 3);
  EXPECT_EQ(state_->xpos(3, 1), 1);  // 5 first
  EXPECT_EQ(state_->xpos(1, 1), 2);  // then 10
}

TEST_F(ReaderTest, MergeFollowsAMasterTraceThatIsNotLast) {
  // Three traces: trace 2 holds every label in its own order and is not the last trace.
  const std::string text =
      dep(1, 2, 1, 4, "1 A 0 0 0") + dep(2, 2, 1, 4, "1 B 0 0 0") + dep(3, 2, 1, 4, "1 C 0 0 0") +
      "EOCF\n" + data_c(1, {"MON", "TUE"}, {{1}, {1}}, false) +
      data_c(2, {"WED", "MON", "TUE"}, {{1}, {1}, {1}}, false) + data_c(3, {"TUE"}, {{1}}, false);
  ASSERT_EQ(load(text, 1), 0);
  ASSERT_EQ(state_->merged_count, 3);
  EXPECT_EQ(state_->xpos(2, 1), 1);  // WED first, as trace 2 has it
  EXPECT_EQ(state_->xpos(1, 1), 2);
  EXPECT_EQ(state_->xpos(3, 1), 3);
}

TEST_F(ReaderTest, SkillScorePlotWithTextLabelsCannotConvert) {
  const std::string text =
      dep(1, 2, 1, 3, "1 A 0 0 0") + "EOCF\n" + data_c(1, {"A", "B"}, {{1}, {1}}, false);
  EXPECT_EQ(load(text, 1), -23);
}

TEST_F(ReaderTest, SkillScoreLabelsTooWideForTheirField) {
  const std::string text = dep(1, 2, 1, 3, "1 A 0 0 0") + "EOCF\n" + data_r(1, {1.0e9}, {{1.0}});
  EXPECT_EQ(load(text, 1), -24);
}

TEST_F(ReaderTest, TimeSeriesTracesStartingADayApart) {
  const std::string header = dep(1, 2, 1, 1, "1 A 0 0 0") + dep(2, 2, 1, 1, "1 B 0 0 0") + "EOCF\n";
  const auto rows = std::vector<std::vector<double>>{{1}, {1}};
  ASSERT_EQ(load(header + data_c(1, {"201602280000", "201602290000"}, rows) +
                     data_c(2, {"201602290000", "201603010000"}, rows),
                 1),
            0);
  EXPECT_EQ(state_->xpos(2, 1), 1440);
  EXPECT_EQ(state_->xpos(2, 2), 2880);
  // A later trace that starts earlier becomes the reference and moves the earlier traces.
  state_ = std::make_unique<ReaderState>();
  ASSERT_EQ(load(header + data_c(1, {"201602290000", "201603010000"}, rows) +
                     data_c(2, {"201602280000", "201602290000"}, rows),
                 1),
            0);
  EXPECT_EQ(state_->xpos(1, 1), 1440);
  EXPECT_EQ(state_->xpos(2, 1), 0);
}

TEST_F(ReaderTest, TimeSeriesErrors) {
  const std::string one = dep(1, 2, 1, 1, "1 A 0 0 0") + "EOCF\n";
  const std::string two = dep(1, 2, 1, 1, "1 A 0 0 0") + dep(2, 2, 1, 1, "1 B 0 0 0") + "EOCF\n";
  const auto rows2 = std::vector<std::vector<double>>{{1}, {1}};
  struct Case {
    const char* what;
    std::string text;
    int expected;
    const char* output;
  };
  const Case kCases[] = {
      {"real labels", one + data_r(1, {1.0}, {{1.0}}), -18, ""},
      {"time going back", one + data_c(1, {"201602290000", "201602281200"}, rows2), -20, ""},
      {"time standing still", one + data_c(1, {"201602290000", "201602290000"}, rows2), -54,
       " AFTER 201602290000\n"},
      {"later label not a date", one + data_c(1, {"201602290000", "2016XX290000"}, rows2), -21, ""},
      {"second trace starts on an invalid date",
       two + data_c(1, {"201602290000"}, {{1}}) + data_c(2, {"201513010000"}, {{1}}), -19, ""},
      {"nonstandard first label", one + data_c(1, {"DAY ONE", "DAY TWO"}, rows2), 0,
       "  Warning -- nonstandard time series trace point labels.\n"},
  };
  for (const Case& c : kCases) {
    state_ = std::make_unique<ReaderState>();
    (void)printed();
    const int rc = load(c.text, 1);
    const std::string out = printed();
    EXPECT_EQ(rc, c.expected) << c.what;
    EXPECT_EQ(out, c.output) << c.what;
  }
}

TEST_F(ReaderTest, DifferentLabelTypesWarnAndGoOn) {
  const std::string text =
      kTwoTraceHeader + data_r(1, {1.0}, {{1.0}}) + data_c(2, {"A"}, {{1.0}}, false);
  (void)printed();
  const int rc = load(text, 1);
  const std::string out = printed();
  EXPECT_EQ(out, " +06 = Warning:  Traces have different label types.\n");
  EXPECT_EQ(state_->label_type, 'c');
  // The merge then compares text labels: trace 1's blank label and "A" make two entries.
  EXPECT_EQ(rc, 0);
  EXPECT_EQ(state_->merged_count, 2);
}

TEST_F(ReaderTest, RereadingAfterIniRestoresTheTables) {
  const std::string text =
      kTwoTraceHeader + data_r(1, {1.0}, {{5.0, 1.0}}) + data_r(2, {1.0}, {{6.0, 2.0}});
  ASSERT_EQ(load(text, 1), 0);
  state_->sum(1, 1, 1) = 99.0;
  int count = 0, traces = 0, type = 0;
  ASSERT_EQ(RDTD_INI(*state_, unit_, count), 0);
  ASSERT_EQ(RDTD_FND(*state_, unit_, 1, 1, traces, type, out_), 0);
  EXPECT_DOUBLE_EQ(state_->sum(1, 1, 1), 5.0);
  EXPECT_EQ(traces, 2);
}

TEST_F(ReaderTest, OriginalTraceNumberLine) {
  const std::string text = dep(7, 2, 1, 4, "1 A 0 0 0") + "EOCF\n";
  ASSERT_EQ(load(text, 1, 0), 0);
  int file_trace = 0;
  (void)printed();
  EXPECT_EQ(RDTD_OTN(*state_, 3, 1, file_trace, out_), 0);
  EXPECT_EQ(printed(), "  Graph rel trc # =  3 Plot rel trc # =  1 Orig trc # =  7\n");
  EXPECT_EQ(file_trace, 7);
}

TEST_F(ReaderTest, BadFilesFromTheDataFolder) {
  struct Case {
    const char* file;
    int expected;
  };
  constexpr Case kCases[] = {
      {"garbage.trc", -1}, {"empty.trc", -4}, {"deep.trc", -15}, {"long_tokens.trc", 0}};
  for (const Case& c : kCases) {
    state_ = std::make_unique<ReaderState>();
    const std::string text = read_file(std::string(KOR_TEST_DATA) + "/tracefile/" + c.file);
    EXPECT_EQ(load(text, 1), c.expected) << c.file;
  }
}

// Damaged copies of the example (bytes overwritten, lines cut or repeated) must give a reader code,
// never a crash or a write past a table.
TEST_F(ReaderTest, DamagedExampleFilesNeverCrash) {
  const std::string original = read_file(std::string(KOR_EXAMPLES) + "/example.trc");
  ASSERT_FALSE(original.empty());
  unsigned long long x = 88172645463325252ULL;  // xorshift state: a fixed, repeatable sequence
  auto next = [&x] {
    x ^= x << 13;
    x ^= x >> 7;
    x ^= x << 17;
    return x;
  };
  const std::string junk =
      "0123456789 -+.EDrcTtEOCF\n\t\x01\xff"
      "999999";
  int failures = 0;
  for (int round = 0; round < 150; ++round) {
    std::string text = original;
    const int edits = 1 + static_cast<int>(next() % 8);
    for (int e = 0; e < edits; ++e) {
      const std::size_t at = next() % text.size();
      switch (next() % 3) {
        case 0:
          text[at] = junk[next() % junk.size()];
          break;
        case 1:
          text.erase(at, next() % 200);
          break;
        default:
          text.insert(at, text.substr(at, next() % 300));
          break;
      }
      if (text.empty()) text = "EOCF";
    }
    (void)printed();
    for (int plot = 1; plot <= 3; ++plot) {
      state_ = std::make_unique<ReaderState>();
      const int rc = load(text, plot);
      EXPECT_GE(rc, -67) << "round " << round;
      EXPECT_LE(rc, 6) << "round " << round;
      if (rc != 0) ++failures;
      if (rc == 0) {
        EXPECT_LE(trace_count_, kMaxTraces);
        for (int t = 1; t <= trace_count_; ++t) {
          EXPECT_LE(state_->traces[t - 1].points, kMaxPoints);
          EXPECT_LE(state_->traces[t - 1].depth, kMaxDepth);
        }
      }
    }
    (void)printed();
  }
  EXPECT_GT(failures, 0);  // the damage is real: some copies must be rejected
}

}  // namespace
}  // namespace kor::tracefile
