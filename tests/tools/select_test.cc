// The selection's pieces: condition records applied to record fields, the record layout, and the
// control file's checks.  Whole selections are compared in tests/e2e/kor_select_e2e_test.cc.
#include <gtest/gtest.h>

#include <string>

#include "tools/select/conditions.h"
#include "tools/select/control.h"
#include "tools/select/met_stat.h"
#include "tools/select/record.h"

namespace kor::select {
namespace {

tracefile::Condition condition(const std::string& record) {
  tracefile::Condition c;
  EXPECT_EQ(tracefile::parse_condition(record, c), 0) << record;
  return c;
}

TEST(Select, ConditionsOnFields) {
  struct Case {
    const char* record;
    const char* field;
    bool date;
    bool selects;
  };
  constexpr Case kCases[] = {
      {"0 0 0 0 0", "anything", false, true},
      {"1 24 0 0 0", "24", false, true},
      {"1 24 0 0 0", "024", false, true},  // numbers compare as numbers
      {"1 24 0 0 0", "24.0", false, true},
      {"1 CONUS 0 0 0", "CONUS2", false, false},
      {"2 CONUS 0 0 0", "EAST", false, true},
      {"2 24 0 0 0", "24.0", false, false},
      {"3 24 0 0 0", "6", false, true},  // 6 < 24 as numbers, not as texts
      {"3 24 0 0 0", "36", false, false},
      {"4 B 0 0 0", "C", false, true},     // texts compare byte by byte
      {"4 24 0 0 0", "X", false, true},    // a text against a number compares as text
      {"5 12 24 0 0", "12", false, true},  // both ends in
      {"5 12 24 0 0", "24", false, true},
      {"5 12 24 0 0", "25", false, false},
      {"6 12 24 0 0", "12", false, false},  // both ends out
      {"6 12 24 0 0", "13", false, true},
      {"7 12 24 0 0", "12", false, true},  // low end in
      {"7 12 24 0 0", "24", false, false},
      {"8 12 24 0 0", "12", false, false},  // high end in
      {"8 12 24 0 0", "24", false, true},
      {"10 0 0 FHO 0", "FHO", false, true},
      {"11 0 0 FHO 0", "SL1L2", false, true},
      {"12 0 0 100 0", "99.5", false, true},
      {"13 0 0 100 0", "99.5", false, false},
      {"14 0 0 2026110100 2026113000", "2026113000", true, true},
      {"14 0 0 2026110100 2026113000", "202611300001", true, false},  // 10 digits are minute 00
      {"15 0 0 2026110100 2026113000", "2026110100", true, false},
      {"16 0 0 2026110100 2026113000", "202611010000", true, true},
      {"17 0 0 2026110100 2026113000", "202611010000", true, false},
      {"18 0 0 GLOBAL 0", "GLOBAL", false, true},
      {"18 0 0 NAM/AWIP 0", "NAM", false, false},
      {"10 0 0 >12.7 0", ">12.7", false, true},
  };
  for (const Case& c : kCases) {
    EXPECT_EQ(selects(make_selector(condition(c.record)), c.field, c.date), c.selects)
        << c.record << " on " << c.field;
  }
}

TEST(Select, RecordLayout) {
  struct Case {
    const char* line;
    LineKind kind;
    const char* error;  // for kBad
  };
  const Case kCases[] = {
      {"", LineKind::kSkipped, ""},
      {"   \t ", LineKind::kSkipped, ""},
      {"  # a comment", LineKind::kSkipped, ""},
      {"V01 G 24 - 2026110112 - - A C FHO >1 P S 0 - = 10 0.1 0.2 0.3\r", LineKind::kRecord, ""},
      {"V01 G 24 - 2026110112 - - A C FHO >1 P S 0 - = 10", LineKind::kRecord, ""},
      {"V01 G 24 - 2026110112 - - A C FHO >1 P S 0 -", LineKind::kBad,
       "a record has 15 fields, \"=\" and the count before its data values; found 15 tokens"},
      {"V01 G 24 - 2026110112 - - A C FHO >1 P S 0 - : 10 1", LineKind::kBad,
       "token 16 must be \"=\", found \":\""},
      {"V01 G 24 - 2026023012 - - A C FHO >1 P S 0 - = 10 1", LineKind::kBad,
       "VYMDH \"2026023012\" is not a date-time YYYYMMDDHH or YYYYMMDDHHMM"},
      {"V01 G 24 - 20261101 - - A C FHO >1 P S 0 - = 10 1", LineKind::kBad,
       "VYMDH \"20261101\" is not a date-time YYYYMMDDHH or YYYYMMDDHHMM"},
      {"V01 G 24 - 2024022912 - - A C FHO >1 P S 0 - = 10 1", LineKind::kRecord, ""},
      {"V01 G 24 - 2026022812 - - A C FHO >1 P S 0 - = 10 1", LineKind::kRecord, ""},
      {"V01 G 24 - 2026133012 - - A C FHO >1 P S 0 - = 10 1", LineKind::kBad,
       "VYMDH \"2026133012\" is not a date-time YYYYMMDDHH or YYYYMMDDHHMM"},
      {"V01 G 24 - 0999110112 - - A C FHO >1 P S 0 - = 10 1", LineKind::kBad,
       "VYMDH \"0999110112\" is not a date-time YYYYMMDDHH or YYYYMMDDHHMM"},
  };
  for (const Case& c : kCases) {
    RecordTokens t;
    std::string error;
    EXPECT_EQ(split_record(c.line, t, error), c.kind) << c.line;
    if (c.kind == LineKind::kBad) {
      EXPECT_EQ(error, c.error) << c.line;
    }
  }
  std::string many = "V01 G 24 - 2026110112 - - A C FHO >1 P S 0 - = 10";
  for (int k = 0; k < kMaxValues; ++k) many += " 1";
  RecordTokens t;
  std::string error;
  EXPECT_EQ(split_record(many, t, error), LineKind::kRecord);
  EXPECT_EQ(*record_field(t, 1), "V01");
  EXPECT_EQ(*record_field(t, 128), "1");  // DV_27
  EXPECT_EQ(split_record(many + " 1", t, error), LineKind::kBad);
  EXPECT_EQ(error, "more than 27 data values");

  // Numbers are read only for selected records.
  ASSERT_EQ(split_record("V01 G 24 - 2026110112 - - A C FHO >1 P S 0 - = 10 0.5 - x", t, error),
            LineKind::kRecord);
  EXPECT_EQ(*record_field(t, 2), "G");
  EXPECT_EQ(*record_field(t, 16), "10");
  EXPECT_EQ(*record_field(t, 18), "-");   // DV_02
  EXPECT_EQ(*record_field(t, 104), "x");  // DV_03 as a data column
  EXPECT_EQ(*record_field(t, 105), "-");  // beyond the record's values
  EXPECT_FALSE(record_field(t, 30));
  double count = 0;
  std::array<double, kMaxValues> values{};
  EXPECT_FALSE(read_numbers(t, count, values, error));
  EXPECT_EQ(error, "data value 3 \"x\" is neither a number nor \"-\"");
  ASSERT_EQ(split_record("V01 G 24 - 2026110112 - - A C FHO >1 P S 0 - = 10 0.5 -", t, error),
            LineKind::kRecord);
  ASSERT_TRUE(read_numbers(t, count, values, error));
  EXPECT_EQ(count, 10);
  EXPECT_EQ(values[0], 0.5);
  EXPECT_TRUE(is_missing_value(values[1]));
  ASSERT_EQ(split_record("V01 G 24 - 2026110112 - - A C FHO >1 P S 0 - = -3 1", t, error),
            LineKind::kRecord);
  EXPECT_FALSE(read_numbers(t, count, values, error));
  EXPECT_EQ(error, "the count \"-3\" is not a number of 0 or more");
}

TEST(Select, ControlChecks) {
  const std::string model = "  1   2  0  0   1   1  1\n18 0 0 GLOBAL 0\n";
  struct Case {
    const char* name;
    std::string text;
    const char* error;  // empty: accepted
  };
  const Case kCases[] = {
      {"one time-series trace", model, ""},
      {"blank lines between groups and an EOCF end", "\n" + model + "\n  \nEOCF\ngarbage\n", ""},
      {"a word in a group header", "1 2 0 0 1 1 x\n18 0 0 G 0\n",
       "c.ctl:1: a group header holds seven integers: trace number, field ID, group kind, trace "
       "value, record count, plot number, plot type"},
      {"short group header", "1 2 0 0 1 1\n18 0 0 G 0\n",
       "c.ctl:1: a group header holds seven integers: trace number, field ID, group kind, trace "
       "value, record count, plot number, plot type"},
      {"condition type 9", "1 2 0 0 1 1 1\n9 G 0 0 0\n",
       "c.ctl:2: condition type 9 cannot select records (types 0 to 8 and 10 to 18 can)"},
      {"short condition record", "1 2 0 0 1 1 1\n18 0 0 G\n",
       "c.ctl:2: a condition record needs five tokens (type and four values)"},
      {"field ID without a name", "1 30 0 0 1 1 1\n1 G 0 0 0\n",
       "c.ctl:1: field ID 30 names no field of a verification record (1 to 24, 101 to 128)"},
      {"plot type 5", "1 2 0 0 1 1 5\n1 G 0 0 0\n",
       "c.ctl:1: plot type 5 is none of 1 (time series), 2 (scatter), 3 (skill score), 4 (binned "
       "data)"},
      {"file ends inside a group", "1 2 0 0 2 1 1\n1 G 0 0 0\n",
       "c.ctl: the file ends inside the group of line 1 (1 condition records missing)"},
      {"empty", "\n", "c.ctl: no condition group: the control file describes no plot"},
      {"a trace in two plots", model + "  1   2  0  0   1   2  1\n18 0 0 GLOBAL 0\n",
       "c.ctl:3: trace number 1 belongs to plot 1 already; a trace data file holds each trace's "
       "data once"},
      {"the reader's cell count check",
       "1 3 1 0 2 1 3\n1 12 0 0 0\n1 24 0 0 0\n"
       "2 3 1 0 1 1 3\n1 12 0 0 0\n",
       "c.ctl:4: the header section it makes is refused by the trace data file's reader (plot 1): "
       "-07 = ind var cell count disagreement"},
      {"the reader's pair check", "1 3 2 0 2 1 1\n5 12 24 0 0\n1 36 0 0 0\n",
       "c.ctl:2: the header section it makes is refused by the trace data file's reader (plot 1): "
       "-09 = more than one pair of dep var conditions"},
      {"skill score without cells", model.substr(0, 23) + "3\n18 0 0 GLOBAL 0\n",
       "c.ctl:1: plot 1 has no independent-variable group (group kind 1): its cells are its "
       "points"},
      {"skill score over text cells", "1 9 1 0 2 1 3\n1 EAST 0 0 0\n1 WEST 0 0 0\n",
       "c.ctl:1: plot 1 is a skill-score plot (type 3), whose points need numbers as labels, but "
       "the cells of trace 1 are not all distinct numbers; a binned-data plot (type 4) takes text "
       "labels"},
      {"a skill-score cell too large for its label",
       "1 3 1 0 2 1 3\n1 12 0 0 0\n1 36240000 0 0 0\n",
       "c.ctl:1: cell 2 of trace 1, 36240000, is too large for the label of a skill-score plot "
       "(F10.2)"},
      {"binned plot over text cells", "1 9 1 0 2 1 4\n1 EAST 0 0 0\n1 WEST 0 0 0\n", ""},
      {"skill score with an ALL cell", "1 3 1 0 2 1 3\n1 12 0 0 0\n0 0 0 0 0\n",
       "c.ctl:1: plot 1 is a skill-score plot (type 3), whose points need numbers as labels, but "
       "the cells of trace 1 are not all distinct numbers; a binned-data plot (type 4) takes text "
       "labels"},
      {"binned plot with two equal labels", "1 9 1 0 2 1 4\n1 EAST 0 0 0\n1 EAST 0 0 0\n",
       "c.ctl:1: cells 1 and 2 of trace 1 have the same label \"EAST\""},
  };
  for (const Case& c : kCases) {
    Control control;
    std::string error;
    const bool ok = parse_control("c.ctl", c.text, control, error);
    EXPECT_EQ(ok, *c.error == '\0') << c.name;
    EXPECT_EQ(error, c.error) << c.name;
  }
}

TEST(Select, CellLabelsAndCaseFields) {
  const std::string text =
      "1 2 0 0 1 1 4\n18 0 0 GLOBAL 0\n2 2 0 0 1 1 4\n18 0 0 REGIONAL 0\n"
      "1 10 0 0 1 1 4\n10 0 0 FHO 0\n2 10 0 0 1 1 4\n10 0 0 FHO 0\n"
      "1 11 1 0 3 1 4\n1 >0.254 0 0 0\n10 0 0 >=2.54 0\n1 ge12.7 0 0 0\n";
  Control control;
  std::string error;
  ASSERT_TRUE(parse_control("c.ctl", text, control, error)) << error;
  ASSERT_EQ(control.plots.size(), 1u);
  const PlotSelection& p = control.plots[0];
  EXPECT_EQ(p.cells, 3);
  EXPECT_EQ(p.trace_fields, std::vector<int>{2});  // the traces differ by MODEL only
  for (const TraceSelection& t : p.traces) {       // trace 2 takes trace 1's cells
    EXPECT_TRUE(t.real_labels);
    EXPECT_EQ(t.cell_numbers, (std::vector<double>{0.254, 2.54, 12.7}));
  }
  EXPECT_EQ(control.header, text);
}

}  // namespace
}  // namespace kor::select

namespace kor::select {
namespace {

constexpr const char* kNewHeader =
    "VERSION MODEL DESC FCST_LEAD FCST_VALID_BEG FCST_VALID_END OBS_LEAD OBS_VALID_BEG "
    "OBS_VALID_END FCST_VAR FCST_UNITS FCST_LEV OBS_VAR OBS_UNITS OBS_LEV OBTYPE VX_MASK "
    "INTERP_MTHD INTERP_PNTS FCST_THRESH OBS_THRESH COV_THRESH ALPHA LINE_TYPE";
constexpr const char* kOldHeader =
    "VERSION MODEL DESC FCST_LEAD FCST_VALID_BEG FCST_VALID_END OBS_LEAD OBS_VALID_BEG "
    "OBS_VALID_END FCST_VAR FCST_LEV OBS_VAR OBS_LEV OBTYPE VX_MASK INTERP_MTHD INTERP_PNTS "
    "FCST_THRESH OBS_THRESH COV_THRESH ALPHA LINE_TYPE";

TEST(Select, StatLinesAsRecords) {
  struct Case {
    const char* name;
    bool old_layout;
    const char* line;
    StatKind kind;
    const char* fields;  // the 15 record fields joined by blanks, then "=", count and values
    const char* error;
    const char* lead = "240000";          // FCST_LEAD
    const char* end = "20261101_120000";  // FCST_VALID_END
  };
  const std::string common_new =
      "V12.0 GFS NA 240000 20261101_120000 20261101_120000 240000 20261101_120000 "
      "20261101_120000 ";
  const Case kCases[] = {
      {"CTC", false,
       "APCP_24 kg/m^2 A24 APCP_24 kg/m^2 A24 ADPSFC CONUS NEAREST 1 >=12.7 >=12.7 NA NA CTC 200 "
       "30 10 20 140 0.5",
       StatKind::kRecord,
       "V12.0 GFS 24 - 2026110112 - - ADPSFC CONUS FHO >=12.7 APCP_24 A 24 1200 = 200 0.2 0.15 "
       "0.25 DV_01=0.2",
       ""},
      {"a valid period of a day and a half, a lead of minutes", false,
       "APCP_24 kg/m^2 A24 APCP_24 kg/m^2 A24 ADPSFC CONUS NEAREST 1 >=12.7 >=12.7 NA NA FHO 20 "
       "0.1 0.05 0.1",
       StatKind::kRecord,
       "V12.0 GFS 24 3000 2026110112 36 - ADPSFC CONUS FHO >=12.7 APCP_24 A 24 1200 = 20 0.1 0.05 "
       "0.1 DV_01=0.1",
       "", "243000", "20261103_000000"},
      {"SL1L2 of an older layout, a level without a number", true,
       "TMP SFC TMP SFC ADPSFC EAST NEAREST 1 NA NA NA NA SL1L2 10 281 280 78700 79000 78500",
       StatKind::kRecord,
       "V12.0 GFS 24 - 2026110112 - - ADPSFC EAST SL1L2 - TMP SFC - 1200 = 10 "
       "281 280 78700 79000 78500 DV_01=281",
       ""},
      {"VL1L2 with NA and newer columns", false,
       "UGRD_VGRD m/s P500 UGRD_VGRD m/s P500 ADPUPA G104 NEAREST 1 NA NA NA NA VL1L2 5 1 2 NA 4 "
       "5 6 7 9 9",
       StatKind::kRecord,
       "V12.0 GFS 24 - 2026110112 - - ADPUPA G104 VL1L2 - UGRD_VGRD P 500 1200 = "
       "5 1 2 - 4 5 6 7 DV_01=1",
       ""},
      {"PCT of three categories", false,
       "APCP_24 kg/m^2 A24 APCP_24 kg/m^2 A24 ADPSFC CONUS NEAREST 1 ==0.3 >=1 NA NA PCT 100 4 "
       "0 5 45 0.3 10 20 0.6 15 5 1",
       StatKind::kRecord,
       "V12.0 GFS 24 - 2026110112 - - ADPSFC CONUS PBS_PCT ==0.3 APCP_24 A 24 "
       "1200 = 100 0.3 0.2 0.05 0.1 0.15 DV_01=0.3",
       ""},
      {"PCT with a category's count NA", false,
       "APCP_24 kg/m^2 A24 APCP_24 kg/m^2 A24 ADPSFC CONUS NEAREST 1 ==0.3 >=1 NA NA PCT 100 4 "
       "0 5 45 0.3 10 NA 0.6 15 5 1",
       StatKind::kRecord,
       "V12.0 GFS 24 - 2026110112 - - ADPSFC CONUS PBS_PCT ==0.3 APCP_24 A 24 "
       "1200 = 100 - 0.2 0.05 0.1 0.15 DV_01=-",
       ""},
      {"PCT short of its categories", false,
       "APCP_24 kg/m^2 A24 APCP_24 kg/m^2 A24 ADPSFC CONUS NEAREST 1 ==0.3 >=1 NA NA PCT 100 4 "
       "0 5 45 0.3 10 20",
       StatKind::kBad, "", "a PCT line of 3 categories needs 12 columns after LINE_TYPE, it has 8"},
      {"a lead time that is no HHMMSS", false,
       "TMP K Z2 TMP K Z2 ADPSFC CONUS NEAREST 1 NA NA NA NA FHO 10 0.1 0.1 0.1", StatKind::kBad,
       "", "FCST_LEAD \"24h000\" is not HHMMSS", "24h000"},
      {"another line type", false,
       "TMP K Z2 TMP K Z2 ADPSFC CONUS NEAREST 1 NA NA NA 0.05 CNT 10 NA NA", StatKind::kOtherType,
       "", ""},
      {"a value that is no number", false,
       "TMP K Z2 TMP K Z2 ADPSFC CONUS NEAREST 1 NA NA NA NA SL1L2 10 x 280 78700 79000 78500",
       StatKind::kBad, "", "column 26 (SL1L2) \"x\" is neither a number nor NA"},
      {"too few columns", false, "TMP K Z2 TMP K Z2 ADPSFC CONUS NEAREST 1 NA NA NA NA FHO 10 0.1",
       StatKind::kBad, "", "a FHO line has 2 columns after LINE_TYPE, 4 are needed"},
      {"a lead time of too many digits", false,
       "TMP K Z2 TMP K Z2 ADPSFC CONUS NEAREST 1 NA NA NA NA FHO 10 0.1 0.1 0.1", StatKind::kBad,
       "", "FCST_LEAD \"24000000000000000000\" is not HHMMSS", "24000000000000000000"},
      {"PCT with too many categories", false,
       "P K A24 P K A24 ADPSFC CONUS NEAREST 1 NA NA NA NA PCT 10 16", StatKind::kBad, "",
       "N_THRESH of a PCT line must be a whole number from 3 to 15"},
  };
  for (const Case& c : kCases) {
    StatColumns columns;
    std::string error;
    ASSERT_TRUE(read_stat_header(c.old_layout ? kOldHeader : kNewHeader, columns, error));
    std::string line = common_new + c.line;
    line.replace(line.find("240000 "), 6, c.lead);
    line.replace(line.find("20261101_120000", line.find("20261101_120000") + 1), 15, c.end);
    StatLine scratch;
    RecordTokens t;
    EXPECT_EQ(convert_stat_line(line, columns, scratch, t, error), c.kind) << c.name << error;
    if (c.kind == StatKind::kBad) {
      EXPECT_EQ(error, c.error) << c.name;
    }
    if (c.kind != StatKind::kRecord) continue;
    std::string fields;
    for (std::string_view f : t.fields) fields += std::string(f) + " ";
    double count = 0;
    std::array<double, kMaxValues> values{};
    ASSERT_TRUE(read_numbers(t, count, values, error));
    char number[32];
    std::snprintf(number, sizeof number, "= %.6g", count);
    fields += number;
    for (int k = 0; k < t.value_count; ++k) {
      std::snprintf(number, sizeof number, " %.6g", values[k]);
      fields += is_missing_value(values[k]) ? std::string(" -") : number;
    }
    fields += " DV_01=" + std::string(*record_field(t, 17));
    EXPECT_EQ(fields, c.fields) << c.name;
  }
  StatColumns columns;
  std::string error;
  EXPECT_FALSE(read_stat_header("VERSION MODEL DESC FCST_LEAD LINE_TYPE", columns, error));
  EXPECT_EQ(error, "the .stat header line has no column FCST_VALID_BEG");
  EXPECT_EQ(pct_probability_file({0, 0.3, 0.6, 1}),
            "category probability (the middle of its edges), written by kor_select\n"
            "1 0.15\n2 0.45\n3 0.8\n");
}

}  // namespace
}  // namespace kor::select
